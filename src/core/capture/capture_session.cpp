#include "core/capture/capture_session.h"

#include <utility>

#include "core/capture/probe_verdict.h"
#include "core/tuning.h"

namespace tf {

CaptureSession::CaptureSession(CaptureHost& host, const CaptureRequest& request) : host_(host), request_(request) {}

bool CaptureSession::begin() {
    if (host_.saveInProgress() || host_.uiState() != UiState::Capturing || !request_.rectValid) return false;
    wheelLines_ = kDefaultWheelLines;
    if (!host_.wheelScrollLines(wheelLines_)) wheelLines_ = kDefaultWheelLines;
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

PixelImage CaptureSession::grabDumped(const char* label) {
    return grabFrame(dumper_, label, [this] { return host_.grab(request_.rect); });
}

PixelImage CaptureSession::grab() { return host_.grab(request_.rect); }

void CaptureSession::recordProbe(int32_t step, int32_t probe, CaptureAction action, const ProbeVerdict& verdict) {
    host_.probeClassified({step, probe, action, verdict.overlap, verdict.score, verdict.expected});
    if (logOpen()) writeProbeVerdictLog(heldLines_, step, probe, action, verdict);
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
        writeCaptureLogHeader(log_, wheelLines_, wheelDelta_, scrollMethod_);
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
        host_.startStitchAndSave(std::move(frames_));
    }
    frames_.clear();
}

}  // namespace tf
