#include "core/capture/capture_session.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "core/capture/probe_verdict.h"
#include "core/tuning.h"

namespace tf {

CaptureSession::CaptureSession(const CaptureParts& parts, const CaptureRequest& request)
    : parts_(parts), request_(request), direction_(request.direction), budget_(request.maxFrames, request.maxPixels) {
    progress_.direction = direction_;
}

bool CaptureSession::begin() {
    if (!request_.rectValid) return false;
    const std::optional<uint32_t>& setting =
        direction_ == ScrollDirection::Right ? request_.wheel.chars : request_.wheel.lines;
    wheelLines_ = setting.value_or(kDefaultWheelLines);
    // Reading the key clears its pressed-since-the-last-query state.
    parts_.keys.escapeKeyState();
    parts_.finish.clear();
    return true;
}

void CaptureSession::openLog(int32_t wheelDelta, ScrollMethod method) {
    wheelDelta_ = wheelDelta;
    scrollMethod_ = method;
    const std::filesystem::path folder = parts_.screen.createLogFolder();
    if (!folder.empty()) log_.open(folder / "capture.log.txt", std::ios::binary | std::ios::trunc);
    dumper_.folder = folder;
    dumper_.sequence = 0;
}

PixelImage CaptureSession::turnedForLoop(PixelImage grabbed) const {
    if (direction_ == ScrollDirection::Right) return transposed(grabbed);
    return grabbed;
}

void CaptureSession::changeDirection(ScrollDirection direction) {
    if (direction == direction_) return;
    if (keptCount_ > 1) throw std::logic_error("the direction changes only while one frame is kept");
    direction_ = direction;
    if (keptCount_ == 1) {
        last_ = transposed(last_);
        firstHeight_ = last_.height;
        parts_.sink.frameKept(0, last_);
    }
    progress_.direction = direction;
    progress_.heightPx = static_cast<int64_t>(keptCount_) * firstHeight_;
    publish();
}

namespace {

// Tells the dumps of one capture apart: FNV-1a over the pixels.
uint64_t fingerprint(const PixelImage& image) {
    uint64_t h = 1469598103934665603ull ^ (static_cast<uint64_t>(image.width) << 32 | static_cast<uint32_t>(image.height));
    for (const uint32_t p : image.pixels) h = (h ^ p) * 1099511628211ull;
    return h;
}

}  // namespace

void CaptureSession::dumpAsGrabbed(FrameDumper& dumper, const char* label, const PixelImage& loopPicture) {
    if (!dumper.folder.empty()) dumps_.push_back({dumper.sequence, label, fingerprint(loopPicture)});
    // Transposed only when it is written; the sequence counts it either way.
    if (direction_ == ScrollDirection::Right && !dumper.folder.empty()) {
        dumpFrame(dumper, label, transposed(loopPicture));
    } else {
        dumpFrame(dumper, label, loopPicture);
    }
}

PixelImage CaptureSession::grabDumped(const char* label) {
    PixelImage picture = grab();
    dumpAsGrabbed(dumper_, label, picture);
    return picture;
}

PixelImage CaptureSession::grab() { return turnedForLoop(parts_.screen.grab(request_.rect)); }

void CaptureSession::recordProbe(int32_t step, int32_t probe, CaptureAction action, const ProbeVerdict& verdict) {
    parts_.sink.probeClassified({step, probe, action, verdict.overlap, verdict.score, verdict.expected});
    if (logOpen()) writeProbeVerdictLog(heldLines_, step, probe, action, verdict);
}

void CaptureSession::logLine(const std::string& line) {
    if (logOpen()) writeCaptureLogLine(heldLines_, line);
}

bool CaptureSession::keep(PixelImage frame, int32_t overlap) {
    const int32_t newRows = keptCount_ == 0 ? frame.height : frame.height - overlap;
    if (limitMet_ != CaptureLimit::None || !budget_.admits(frame.width, newRows)) {
        if (limitMet_ == CaptureLimit::None) {
            limitMet_ = CaptureLimit::Pixels;
            removeDumpsPastLastKept();
        }
        return false;
    }
    budget_.keep(frame.width, newRows);
    limitMet_ = budget_.met();
    if (keptCount_ == 0) {
        firstHeight_ = frame.height;
    } else {
        // The loops no longer repaint or turn the frame before the last, so
        // the stitch may have it; the copy stays for a manual capture's look back.
        beforeLast_ = last_;
        parts_.sink.frameHandedOn(std::move(last_));
    }
    last_ = std::move(frame);
    ++keptCount_;
    parts_.sink.frameKept(keptCount_ - 1, last_);
    progress_.frameCount = static_cast<uint32_t>(keptCount_);
    progress_.heightPx = static_cast<int64_t>(keptCount_) * firstHeight_;
    publish();
    return true;
}

// The grabs after the last kept frame's dump show the page past the image:
// the frame refused and the pictures on the way to it.
void CaptureSession::removeDumpsPastLastKept() {
    if (dumper_.folder.empty() || keptCount_ == 0) return;
    const uint64_t kept = fingerprint(last_);
    size_t keptAt = dumps_.size();
    while (keptAt > 0 && dumps_[keptAt - 1].fingerprint != kept) --keptAt;
    if (keptAt == 0) return;  // the kept frame was never dumped: nothing is known to be past it
    for (size_t i = keptAt; i < dumps_.size(); ++i) {
        std::error_code ec;
        std::filesystem::remove(dumper_.folder / frameDumpName(dumps_[i].sequence, dumps_[i].label), ec);
    }
    dumps_.resize(keptAt);
}

void CaptureSession::replaceLast(PixelImage frame) {
    if (keptCount_ == 0) throw std::logic_error("no frame to replace");
    last_ = std::move(frame);
    parts_.sink.frameKept(keptCount_ - 1, last_);
}

void CaptureSession::showStrip(ManualStrip strip) {
    if (progress_.strip == strip) return;
    progress_.strip = strip;
    publish();
}

void CaptureSession::end(const CaptureEnding& ending) {
    if (logOpen()) {
        writeCaptureLogHeader(log_, wheelLines_, wheelDelta_, scrollMethod_, direction_);
        const std::string held = heldLines_.str();
        log_.write(held.data(), static_cast<std::streamsize>(held.size()));
        writeCaptureLogSummary(log_, keptCount_, ending.reachedEnd, ending.finishedByUser,
                               ending.failure.failed() ? parts_.sink.failureText(ending.failure) : std::wstring());
        log_.flush();
    }
    log_.close();
    if (ending.failure.failed()) {
        parts_.sink.captureFailed(ending.failure);
    } else {
        if (keptCount_ > 0) parts_.sink.frameHandedOn(std::move(last_));
        parts_.sink.captureFinished(direction_);
    }
    last_ = PixelImage();
    beforeLast_ = PixelImage();
}

}  // namespace tf
