#pragma once
// A scrollable page on a virtual screen with a virtual clock, for running the
// capture loops natively: the page scrolls on wheel notches sent at the
// capture rectangle's centre (or by a person, `scrollBy`), optionally with a
// smooth-scroll animation, fixed header and footer bands, content that paints
// late and an end. A sideways screen is the same page turned on its side: it
// is modelled downwards and every grab is transposed, so that a header is a
// fixed column at the left and a side panel a fixed row at the top, and it
// scrolls on the horizontal wheel (or Shift + wheel) instead.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/capture/capture_controller.h"
#include "core/capture/manual_capture.h"
#include "ground/pixel_image.h"
#include "core/settings/ui_language.h"
#include "core/texts/capture_messages.h"

namespace tf::test {

struct ScrollModel {
    int32_t rowsPerNotch = 100;          // at a delta of 120; scales with |delta|
    std::vector<int32_t> notchRows{};    // when set: rows of each notch in turn, then 0
    uint32_t animationMs = 0;            // smooth scrolling: the motion of a notch spreads over this time
    uint32_t lateContentMs = 0;          // rows brought into view paint this long after the notch
    uint32_t coalesceMs = 0;             // notches this soon after the one before are ignored (one per burst)
    bool lateAfterStop = false;          // late content counts from the end of the smooth scroll, not the notch
    int32_t headerRows = 0;              // fixed band at the top of the rectangle
    int32_t footerRows = 0;              // fixed band at the bottom
    // Other ways of scrolling, for windows that ignore the wheel (rowsPerNotch 0):
    int32_t messageTarget = -1;          // the scroll target that scrolls on a scroll bar message (-1: none)
    int32_t messageRows = 0;             // rows of one scroll bar line step
    int32_t arrowRows = 0;               // rows of one arrow key
    int32_t pageRows = 0;                // rows of one page key
    int32_t panelColumns = 0;            // fixed band at the left of the scrolling rows (a side panel)
    bool sideways = false;               // grabs turned on their side: the page scrolls to the right
    bool ignoresSidewaysWheel = false;   // sideways: only Shift + wheel and the other ways move it
};

// Every part a capture loop is given, in one object: it converts to either
// loop's host, so a test hands the screen itself to runCapture or ManualCapture.
class SimulatedScreen : public CapturePointer,
                        public ScrollInput,
                        public FinishKeys,
                        public CaptureScreen,
                        public WaitingClock,
                        public CaptureSink {
public:
    SimulatedScreen(PixelImage content, int32_t frameHeight, ScrollModel model)
        : content_(std::move(content)), model_(std::move(model)), frameHeight_(frameHeight) {
        viewRows_ = frameHeight_ - model_.headerRows - model_.footerRows;
        maxPos_ = std::max(content_.height - viewRows_, 0);
        loadAt_.assign(static_cast<size_t>(content_.height), 0);
        for (size_t r = static_cast<size_t>(viewRows_); r < loadAt_.size(); ++r) loadAt_[r] = kNever;
        header_ = band(model_.headerRows, 0xFF1F3A68u, 0xFFE8C547u);
        footer_ = band(model_.footerRows, 0xFF3C3C3Cu, 0xFF9FE0A0u);
        panel_ = PixelImage(std::max(model_.panelColumns, 0), std::max(viewRows_, 0), 0xFF2A2A30u);
        for (int32_t y = 6; y < panel_.height; y += 24)
            for (int32_t x = 4; x < panel_.width - 4; ++x) panel_.at(x, y) = 0xFFD0D0D0u;
        rect = model_.sideways ? Rect{40, 30, 40 + frameHeight_, 30 + content_.width}
                               : Rect{40, 30, 40 + content_.width, 30 + frameHeight_};
    }

    // --- what a test sets up ---
    Rect rect;
    uint32_t wheelLines = 3;
    bool wheelLinesReadable = true;
    uint32_t wheelChars = 3;              // the horizontal wheel setting
    bool wheelCharsReadable = true;
    int32_t refuseWheelFromNotch = -1;                 // SendInput reports 0 from this notch on
    std::vector<std::pair<uint64_t, uint64_t>> escHeld;  // [from, to) in virtual ms
    std::vector<std::pair<uint64_t, uint64_t>> enterHeld;
    std::filesystem::path logFolder;                   // handed out by createLogFolder
    uint32_t grabMs = 0;                               // virtual time one grab takes
    int32_t escAtNotch = -1;                           // Esc held for 60 ms, escDelayMs after this notch
    uint32_t escDelayMs = 0;
    int32_t scrollTargets = 0;            // windows under the centre a message can go to; 0: none found
    int32_t refuseScrollStepsFrom = -1;   // sendScrollStep fails from this step on
    IntegrityLevel ownLevel, targetLevel; // unknown unless a test sets them

    // --- what a test reads back ---
    std::vector<std::string> events;        // UI effects in order
    std::vector<std::wstring> messages;     // what the shell would show, in `language`
    std::vector<CaptureFailure> failures;
    UiLanguage language = UiLanguage::English;
    std::vector<PixelImage> handedOver;      // as grabbed
    std::vector<PixelImage> handedTurned;    // as handed on: turned downward when sideways
    std::vector<PixelImage> keptAsTold;      // what frameKept said, by index
    int32_t keptReports = 0;
    ScrollDirection handedDirection = ScrollDirection::Down;
    bool stitchStarted = false;
    std::vector<ScrollRoute> scrollSteps;   // every step sent other than a notch
    std::vector<Point> scrollTargetQueries;
    int32_t toTopRequests = 0;
    std::vector<uint64_t> notchTimes;
    std::vector<int32_t> notchDeltas;
    std::vector<bool> notchesShifted;      // sideways notches: Shift + wheel rather than the horizontal wheel
    std::vector<ProbeRecord> probes;
    std::vector<int32_t> inputsPerProbe;    // notches and other scroll steps sent for each probe
    int32_t grabs = 0;
    int32_t cursorShowCount = 0;            // display count; starts visible at 0
    int32_t sleeps = 0;
    int32_t logFolderRequests = 0;
    int32_t cursorMoves = 0;
    std::vector<CaptureProgress> published;  // every progress report, in order
    std::vector<Rect> grabbedRects;          // the rectangle of every grab
    int32_t grabsWithCursorShowing = 0;
    int32_t cursorShowCountAtEnd = 0;       // display count when the loop failed or handed over
    // Raised by a test as the overlay would on a display change.
    FinishLatch finish;
    bool failed = false;

    operator CaptureParts() { return {*this, *this, *this, finish}; }
    operator CaptureHost() { return {{*this, *this, *this, finish}, *this, *this, *this}; }
    operator ManualCaptureHost() { return {{*this, *this, *this, finish}, *this}; }
    // The system's wheel settings as a shell would read them.
    WheelSettings wheel() const {
        WheelSettings w;
        w.lines = wheelLinesReadable ? std::optional<uint32_t>(wheelLines) : std::nullopt;
        w.chars = wheelCharsReadable ? std::optional<uint32_t>(wheelChars) : std::nullopt;
        return w;
    }
    CaptureRequest request(ScrollDirection direction = ScrollDirection::Down, bool rectValid = true) const {
        CaptureRequest r{rect, rectValid, false, direction};
        r.wheel = wheel();
        return r;
    }

    // A person's scrolling: `rows` down (negative: up) from where the page is heading.
    void scrollBy(int32_t rows) {
        const int32_t from = positionAt(now_);
        animFrom_ = from;
        animTo_ = std::clamp(animTo_ + rows, 0, maxPos_);
        animStart_ = now_;
        // Rows that come into view paint late.
        for (int32_t r = from + viewRows_; r < std::min(animTo_ + viewRows_, content_.height); ++r)
            if (loadAt_[static_cast<size_t>(r)] == kNever)
                loadAt_[static_cast<size_t>(r)] =
                    now_ + model_.lateContentMs + (model_.lateAfterStop ? model_.animationMs : 0);
    }
    // Time passing without anyone waiting for it (between timer ticks).
    void advance(uint64_t ms) { now_ += ms; }

    uint64_t now() const { return now_; }
    int32_t position() { return positionAt(now_); }
    int32_t maxPosition() const { return maxPos_; }
    int32_t viewRows() const { return viewRows_; }

    // The long image a perfect capture of the span [0, position) gives,
    // without a side panel.
    PixelImage expectedImage(int32_t finalPosition) const {
        PixelImage out(content_.width, model_.headerRows + finalPosition + viewRows_ + model_.footerRows);
        int32_t y = 0;
        for (int32_t r = 0; r < model_.headerRows; ++r) copyRow(header_, r, out, y++);
        for (int32_t r = 0; r < finalPosition + viewRows_; ++r) copyRow(content_, r, out, y++);
        for (int32_t r = 0; r < model_.footerRows; ++r) copyRow(footer_, r, out, y++);
        return model_.sideways ? transposed(out) : out;
    }

    // --- the parts ---
    bool cursorShowing() override { return cursorShowCount >= 0; }
    int32_t showCursor(bool show) override { return show ? ++cursorShowCount : --cursorShowCount; }
    void setCursorPos(int32_t x, int32_t y) override {
        ++cursorMoves;
        cursor_ = {x, y};
    }
    uint32_t sendWheel(int32_t delta) override { return notch(delta, !model_.sideways); }
    // The horizontal wheel scrolls right on a positive delta, Shift + the
    // vertical wheel on a negative one.
    uint32_t sendSidewaysWheel(int32_t delta, bool shifted) override {
        notchesShifted.push_back(shifted);
        const bool moves = model_.sideways && (shifted ? delta < 0 : delta > 0 && !model_.ignoresSidewaysWheel);
        return notch(delta, moves);
    }
    uint32_t notch(int32_t delta, bool moves) {
        const int32_t n = static_cast<int32_t>(notchTimes.size());
        if (refuseWheelFromNotch >= 0 && n >= refuseWheelFromNotch) return 0;
        const bool coalesced = model_.coalesceMs > 0 && !notchTimes.empty() && now_ - notchTimes.back() < model_.coalesceMs;
        notchTimes.push_back(now_);
        notchDeltas.push_back(delta);
        if (n == escAtNotch) escHeld.push_back({now_ + escDelayMs, now_ + escDelayMs + 60});
        // The wheel reaches the page only when the pointer is over it.
        if (!moves || coalesced || cursor_.first < rect.left || cursor_.first >= rect.right || cursor_.second < rect.top ||
            cursor_.second >= rect.bottom)
            return 1;
        int32_t rows = 0;
        if (!model_.notchRows.empty()) {
            rows = n < static_cast<int32_t>(model_.notchRows.size()) ? model_.notchRows[static_cast<size_t>(n)] : 0;
        } else {
            rows = model_.rowsPerNotch * (delta < 0 ? -delta : delta) / 120;
        }
        scrollBy(rows);
        return 1;
    }
    int32_t findScrollTargets(Point at) override {
        scrollTargetQueries.push_back(at);
        return scrollTargets;
    }
    bool sendScrollStep(const ScrollRoute& route) override {
        if (refuseScrollStepsFrom >= 0 && static_cast<int32_t>(scrollSteps.size()) >= refuseScrollStepsFrom)
            return false;
        scrollSteps.push_back(route);
        // A step the other way round does not move this page.
        if ((route.direction == ScrollDirection::Right) != model_.sideways) return true;
        if (route.method == ScrollMethod::ScrollBarMessage && route.target == model_.messageTarget)
            scrollBy(model_.messageRows);
        if (route.method == ScrollMethod::ArrowKey) scrollBy(model_.arrowRows);
        if (route.method == ScrollMethod::PageKey) scrollBy(model_.pageRows);
        return true;
    }
    // The scroll bar's top message and Home reach a page that takes either.
    void sendToTop() override {
        ++toTopRequests;
        if (model_.messageTarget >= 0 || model_.arrowRows > 0 || model_.pageRows > 0) scrollBy(-animTo_);
    }
    IntegrityLevel ownIntegrity() override { return ownLevel; }
    IntegrityLevel targetIntegrity() override { return targetLevel; }
    void sleep(uint32_t ms) override {
        ++sleeps;
        now_ += ms;
    }
    uint64_t tickCount() override { return now_; }
    uint16_t escapeKeyState() override { return keyState(escHeld, lastEscQuery_); }
    uint16_t enterKeyState() override { return keyState(enterHeld, lastEnterQuery_); }
    PixelImage grab(const Rect& grabbed) override {
        ++grabs;
        grabbedRects.push_back(grabbed);
        if (cursorShowCount >= 0) ++grabsWithCursorShowing;
        PixelImage f(content_.width, frameHeight_);
        const int32_t pos = positionAt(now_);
        int32_t y = 0;
        for (int32_t r = 0; r < model_.headerRows; ++r) copyRow(header_, r, f, y++);
        for (int32_t r = pos; r < pos + viewRows_; ++r) {
            if (r < content_.height && now_ >= loadAt_[static_cast<size_t>(r)]) {
                copyRow(content_, r, f, y);
            } else {
                std::fill(f.row(y), f.row(y) + f.width, 0xFFFFFFFFu);
            }
            ++y;
        }
        for (int32_t r = 0; r < model_.footerRows; ++r) copyRow(footer_, r, f, y++);
        for (int32_t r = 0; r < panel_.height; ++r)
            std::copy(panel_.row(r), panel_.row(r) + panel_.width, f.row(model_.headerRows + r));
        now_ += grabMs;
        return model_.sideways ? transposed(f) : f;
    }
    std::filesystem::path createLogFolder() override {
        ++logFolderRequests;
        return logFolder;
    }
    void progressChanged(const CaptureProgress& progress) override { published.push_back(progress); }
    void frameKept(size_t index, const PixelImage& frame) override {
        ++keptReports;
        if (index >= keptAsTold.size()) keptAsTold.resize(index + 1);
        keptAsTold[index] = frame;
    }
    std::wstring failureText(const CaptureFailure& f) override { return captureFailureText(f, language); }
    void captureFailed(const CaptureFailure& f) override {
        cursorShowCountAtEnd = cursorShowCount;
        failed = true;
        failures.push_back(f);
        messages.push_back(captureFailureText(f, language));
        events.push_back(captureFailureIsWarning(f) ? "fail warning" : "fail error");
    }
    void probeClassified(const ProbeRecord& r) override {
        probes.push_back(r);
        const int32_t sent = static_cast<int32_t>(notchTimes.size() + scrollSteps.size());
        inputsPerProbe.push_back(sent - inputsBeforeProbe_);
        inputsBeforeProbe_ = sent;
    }
    void frameHandedOn(PixelImage frame) override { handedTurned.push_back(std::move(frame)); }
    void captureFinished(ScrollDirection direction) override {
        cursorShowCountAtEnd = cursorShowCount;
        stitchStarted = true;
        handedOver = handedTurned;
        if (direction == ScrollDirection::Right)
            for (PixelImage& frame : handedOver) frame = transposed(frame);
        handedDirection = direction;
        events.push_back("stitch");
    }

private:
    static constexpr uint64_t kNever = ~0ull;

    PixelImage band(int32_t rows, uint32_t fill, uint32_t ink) const {
        // A flat bar with one line of light "text", like a toolbar or a sticky heading.
        PixelImage b(content_.width, std::max(rows, 0), fill);
        for (int32_t y = rows / 2 - 2; y < rows / 2 + 2 && y >= 0; ++y)
            for (int32_t x = 8; x < b.width / 3; ++x) b.at(x, y) = ink;
        return b;
    }
    uint16_t keyState(const std::vector<std::pair<uint64_t, uint64_t>>& held, uint64_t& lastQuery) const {
        uint16_t state = 0;
        for (const auto& [from, to] : held) {
            if (now_ >= from && now_ < to) state |= 0x8000;
            if (from > lastQuery && from <= now_) state |= 0x0001;
        }
        lastQuery = now_;
        return state;
    }
    static void copyRow(const PixelImage& src, int32_t sy, PixelImage& dst, int32_t dy) {
        std::copy(src.row(sy), src.row(sy) + src.width, dst.row(dy));
    }
    int32_t positionAt(uint64_t t) const {
        if (model_.animationMs == 0 || t >= animStart_ + model_.animationMs) return animTo_;
        // Ease-out, like the smooth scrolling of browsers.
        const double u = static_cast<double>(t - animStart_) / model_.animationMs;
        const double eased = 1.0 - (1.0 - u) * (1.0 - u);
        return animFrom_ + static_cast<int32_t>((animTo_ - animFrom_) * eased);
    }

    PixelImage content_;
    ScrollModel model_;
    int32_t frameHeight_;
    int32_t viewRows_ = 0;
    int32_t maxPos_ = 0;
    PixelImage header_, footer_, panel_;
    std::vector<uint64_t> loadAt_;
    int32_t animFrom_ = 0, animTo_ = 0;
    uint64_t animStart_ = 0;
    uint64_t now_ = 5000;
    int32_t inputsBeforeProbe_ = 0;
    uint64_t lastEscQuery_ = 0;
    uint64_t lastEnterQuery_ = 0;
    std::pair<int32_t, int32_t> cursor_{-1, -1};
};

}  // namespace tf::test
