#include "core/capture/capture_session.h"

#include <utility>

#include "core/capture/probe_verdict.h"
#include "core/tuning.h"

namespace tf {

CaptureSession::CaptureSession(CaptureHost& host, const CaptureRequest& request)
    : host_(host), request_(request), direction_(request.direction) {
    progress_.direction = direction_;
}

bool CaptureSession::begin() {
    if (host_.saveInProgress() || host_.uiState() != UiState::Capturing || !request_.rectValid) return false;
    wheelLines_ = kDefaultWheelLines;
    const bool read = direction_ == ScrollDirection::Right ? host_.wheelScrollChars(wheelLines_)
                                                           : host_.wheelScrollLines(wheelLines_);
    if (!read) wheelLines_ = kDefaultWheelLines;
    // Reading the key clears its pressed-since-the-last-query state.
    host_.escapeKeyState();
    host_.finishLatch().clear();
    return true;
}

void CaptureSession::openLog(int32_t wheelDelta, ScrollMethod method) {
    wheelDelta_ = wheelDelta;
    scrollMethod_ = method;
    const std::filesystem::path folder = host_.createLogFolder();
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
    direction_ = direction;
    for (PixelImage& frame : frames_) frame = transposed(frame);
    progress_.direction = direction;
    if (!frames_.empty()) progress_.heightPx = static_cast<int64_t>(frames_.size()) * frames_.front().height;
    publish();
}

void CaptureSession::dumpAsGrabbed(FrameDumper& dumper, const char* label, const PixelImage& loopPicture) const {
    // Transposed only when it is written; the sequence counts it either way.
    if (direction_ == ScrollDirection::Right && !dumper.folder.empty()) {
        dumpFrame(dumper, label, transposed(loopPicture));
    } else {
        dumpFrame(dumper, label, loopPicture);
    }
}

PixelImage CaptureSession::grabDumped(const char* label) {
    return turnedForLoop(grabFrame(dumper_, label, [this] { return host_.grab(request_.rect); }));
}

PixelImage CaptureSession::grab() { return turnedForLoop(host_.grab(request_.rect)); }

void CaptureSession::recordProbe(int32_t step, int32_t probe, CaptureAction action, const ProbeVerdict& verdict) {
    host_.probeClassified({step, probe, action, verdict.overlap, verdict.score, verdict.expected});
    if (logOpen()) writeProbeVerdictLog(heldLines_, step, probe, action, verdict);
}

void CaptureSession::logLine(const std::string& line) {
    if (logOpen()) writeCaptureLogLine(heldLines_, line);
}

void CaptureSession::keep(PixelImage frame) {
    frames_.push_back(std::move(frame));
    progress_.frameCount = static_cast<uint32_t>(frames_.size());
    progress_.heightPx = static_cast<int64_t>(frames_.size()) * frames_.front().height;
    publish();
}

void CaptureSession::replaceLast(PixelImage frame) { frames_.back() = std::move(frame); }

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
        writeCaptureLogSummary(log_, frames_.size(), ending.reachedEnd, ending.finishedByUser,
                               ending.failure.failed() ? host_.failureText(ending.failure) : std::wstring());
        log_.flush();
    }
    log_.close();
    if (ending.failure.failed()) {
        host_.failCapture(ending.failure);
    } else {
        host_.startStitchAndSave(std::move(frames_), direction_);
    }
    frames_.clear();
}

}  // namespace tf
