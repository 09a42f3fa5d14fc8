#include "core/capture/capture_session.h"

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
    direction_ = direction;
    for (size_t i = 0; i < frames_.size(); ++i) {
        frames_[i] = transposed(frames_[i]);
        parts_.sink.frameKept(i, frames_[i]);
    }
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
    return turnedForLoop(grabFrame(dumper_, label, [this] { return parts_.screen.grab(request_.rect); }));
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
    const int32_t newRows = frames_.empty() ? frame.height : frame.height - overlap;
    if (limitMet_ != CaptureLimit::None || !budget_.admits(frame.width, newRows)) {
        if (limitMet_ == CaptureLimit::None) limitMet_ = CaptureLimit::Pixels;
        return false;
    }
    budget_.keep(frame.width, newRows);
    limitMet_ = budget_.met();
    frames_.push_back(std::move(frame));
    parts_.sink.frameKept(frames_.size() - 1, frames_.back());
    progress_.frameCount = static_cast<uint32_t>(frames_.size());
    progress_.heightPx = static_cast<int64_t>(frames_.size()) * frames_.front().height;
    publish();
    return true;
}

void CaptureSession::replaceLast(PixelImage frame) {
    frames_.back() = std::move(frame);
    parts_.sink.frameKept(frames_.size() - 1, frames_.back());
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
        writeCaptureLogSummary(log_, frames_.size(), ending.reachedEnd, ending.finishedByUser,
                               ending.failure.failed() ? parts_.sink.failureText(ending.failure) : std::wstring());
        log_.flush();
    }
    log_.close();
    if (ending.failure.failed()) {
        parts_.sink.captureFailed(ending.failure);
    } else {
        parts_.sink.captureFinished(TurnedFrames::turnedByLoop(std::move(frames_), direction_));
    }
    frames_.clear();
}

}  // namespace tf
