#include "core/diagnostics/self_test.h"

#include <cstdlib>
#include <locale>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "ground/dpi.h"
#include "core/app/geometry.h"
#include "core/app/ui_state.h"
#include "core/capture/capture_log.h"
#include "core/capture/capture_rules.h"
#include "core/capture/overlay_geometry.h"
#include "core/diagnostics/test_pages.h"
#include "ground/text_log.h"
#include "core/image/png_codec.h"
#include "core/settings/program_folder.h"
#include "core/settings/ui_language.h"
#include "core/stitch/composer.h"
#include "core/stitch/matcher.h"
#include "core/tuning.h"
#include "core/ui/settings_layout.h"
#include "core/image/atomic_file.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

constexpr int32_t kFrameHeight = 520;

const char* verdict(bool ok) { return ok ? "PASS" : "FAIL"; }
std::string spacedVerdict(bool ok) { return ok ? " PASS" : " FAIL"; }

// Six significant digits, the shorter of fixed and exponential notation, as a
// default-formatted C++ stream writes it.
std::string number(double v) {
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os << v;
    return os.str();
}

// Collected while the checks run and written whole at the end.
class Report {
public:
    void line(const std::string& text) { writeTextLine(out_, text); }
    std::string text() const { return out_.str(); }

private:
    std::ostringstream out_;
};

// --- 1. capture logging ---

bool checkCaptureLogging(Report& report) {
    const fs::path programFolder = executableFolder();
    const bool defaultOff = createCaptureLogFolder(kCaptureLoggingDefault, programFolder).empty();
    const fs::path folder = createCaptureLogFolder(true, programFolder);
    std::error_code ec;
    const bool enabled = !folder.empty() && fs::is_directory(folder, ec);
    if (!folder.empty()) {
        fs::remove(folder, ec);
        fs::remove(folder.parent_path(), ec);  // only when no earlier capture left logs there
    }
    report.line(std::string("capture-logging default-off=") + verdict(defaultOff) +
                " enabled-session=" + verdict(enabled));
    return defaultOff && enabled;
}

// --- 2. scenarios ---

struct Scenario {
    const char* name;
    std::vector<int32_t> offsets;
    bool repeatedText;
    bool fixedHeader;
};

double lumaDifference(const PixelImage& image, const PixelImage& page) {
    if (image.empty()) return 1.0;
    uint64_t differing = 0;
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const bool inside = x < page.width && y < page.height;
            if (!inside || std::abs(luma(image.at(x, y)) - luma(page.at(x, y))) >= 9) ++differing;
        }
    }
    return static_cast<double>(differing) / (static_cast<double>(image.width) * image.height);
}

bool runScenario(Report& report, const Scenario& s) {
    const int32_t lastOffset = s.offsets.back();
    const PixelImage page = makeTestPage(640, lastOffset + 620, s.repeatedText);
    std::vector<PixelImage> frames;
    for (size_t i = 0; i < s.offsets.size(); ++i)
        frames.push_back(makeTestFrame(page, s.offsets[i], kFrameHeight, s.fixedHeader, i % 2 == 0 ? 210 : kNoCaret));

    bool pairsOk = true;
    int32_t previousOverlap = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        const int32_t expected = kFrameHeight - (s.offsets[i] - s.offsets[i - 1]);
        const MatchResult r = matchFrames(frames[i - 1], frames[i], previousOverlap, kPriorTolerance);
        previousOverlap = r.overlap;
        const bool ok = r.matched && std::abs(r.overlap - expected) < 2;
        pairsOk = pairsOk && ok;
        report.line(std::string(s.name) + " pair " + std::to_string(i) + ": expected=" + std::to_string(expected) +
                    " actual=" + std::to_string(r.overlap) + " score=" + number(r.score) + spacedVerdict(ok));
    }
    if (!pairsOk) return false;

    PixelImage composed;
    bool composedOk = true;
    try {
        composed = composeFrames(frames);
    } catch (const std::exception&) {
        composedOk = false;
    }
    const int32_t expectedHeight = lastOffset + kFrameHeight;
    const bool heightOk = composedOk && composed.height == expectedHeight;
    report.line(std::string(s.name) + " height: expected=" + std::to_string(expectedHeight) +
                " actual=" + std::to_string(composed.height) + spacedVerdict(heightOk));
    if (!heightOk) return false;

    const double fraction = lumaDifference(composed, page);
    const bool pixelsOk = fraction < 0.05;
    report.line(std::string(s.name) + " pixels: difference=" + number(fraction * 100.0) + "%" + spacedVerdict(pixelsOk));
    return pixelsOk;
}

bool checkScenarios(Report& report) {
    const Scenario scenarios[] = {
        {"web-variable-motion", {0, 185, 371, 554, 612}, false, false},
        {"wps-repeated-text", {0, 78, 156, 235, 251}, true, false},
        {"fixed-header-caret", {0, 112, 225, 339, 365}, false, true},
    };
    bool all = true;
    for (const Scenario& s : scenarios) all = runScenario(report, s) && all;
    return all;
}

// --- 3. capture controller rules ---

PixelImage pageRows(const PixelImage& page, int32_t top) {
    return makeTestFrame(page, top, kFrameHeight, false, kNoCaret);
}

bool checkCaptureController(Report& report) {
    const PixelImage page = makeTestPage(640, 1200, false);
    const PixelImage a = pageRows(page, 0), b = pageRows(page, 80), c = pageRows(page, 200);
    const PixelImage d = makeTestFrame(page, 230, kFrameHeight, false, kNoCaret);
    const int32_t keepLimit = keepScrollingOverlapLimit(kFrameHeight);  // 338

    const MatchResult ab = matchFrames(a, b, 0, kPriorTolerance);
    const MatchResult ac = matchFrames(a, c, 0, kPriorTolerance);
    const MatchResult cd = matchFrames(c, d, ac.overlap, kPriorTolerance);
    const bool actions = ab.matched && ab.overlap > keepLimit && ac.matched && ac.overlap <= keepLimit &&
                         cd.matched && cd.overlap > keepLimit;

    const bool wheel = wheelDeltaForLines(1) == -120 && wheelDeltaForLines(3) == -120 &&
                       wheelDeltaForLines(5) == -72 && wheelDeltaForLines(100) == -30;

    // The end of a page that moves by less than 65 % per notch: how many
    // unmoved probes end it and where a grab stops being a mere pending one.
    const bool endDetection = keepLimit == 338 && stillProbeLimit(wheelDeltaForLines(3)) == 3 &&
                              stillProbeLimit(wheelDeltaForLines(kWheelPageScroll)) == 5 &&
                              probeLimit(stillProbeLimit(-120)) == 24 && probeLimit(stillProbeLimit(-30)) == 24;

    // A probe after measured motion passes the expected overlap with the wider
    // tolerance; the matcher must still land on the true overlap.
    const MatchResult prior = matchFrames(a, b, 440, kMotionPriorTolerance);
    const bool motionPrior = prior.matched && std::abs(prior.overlap - 440) < 2;

    report.line(std::string("capture-controller actions=") + verdict(actions) + " wheel-normalization=" +
                verdict(wheel) + " partial-delta-end-detection=" + verdict(endDetection) +
                " probe-motion-prior=" + verdict(motionPrior));
    return actions && wheel && endDetection && motionPrior;
}

// --- 4. interface rules ---

bool walkAllowed(std::initializer_list<UiState> walk) {
    const UiState* prev = nullptr;
    for (const UiState& s : walk) {
        if (prev && !isUiTransitionAllowed(*prev, s)) return false;
        prev = &s;
    }
    return true;
}

bool checkTransitions() {
    bool ok = true;
    for (int32_t s = 0; s < kUiStateCount; ++s) {
        ok = ok && isUiTransitionAllowed(static_cast<UiState>(s), static_cast<UiState>(s));
        ok = ok && !isUiTransitionAllowed(static_cast<UiState>(9), static_cast<UiState>(s));
    }
    using S = UiState;
    return ok && !isUiTransitionAllowed(S::Home, S::Result) && !isUiTransitionAllowed(S::Home, S::SettingsHelp) &&
           !isUiTransitionAllowed(S::Saving, S::Selecting) && !isUiTransitionAllowed(S::Result, S::Home);
}

bool checkScenarioWalks() {
    using S = UiState;
    return walkAllowed({S::Home, S::Selecting, S::Home}) && walkAllowed({S::Result, S::Selecting, S::Home}) &&
           walkAllowed({S::Home, S::Selecting, S::Capturing, S::Saving, S::Result}) &&
           walkAllowed({S::Home, S::Selecting, S::Capturing, S::Saving, S::Home}) &&
           walkAllowed({S::Home, S::Selecting, S::Capturing, S::Saving, S::Failed}) &&
           walkAllowed({S::Result, S::Selecting, S::Capturing}) &&
           walkAllowed({S::Result, S::SettingsGeneral, S::SettingsHelp, S::SettingsAbout, S::Result});
}

bool checkRectangleNormalization() {
    const Rect want{-400, -300, -100, 20};
    return normalizedSelection({-400, -300}, {-100, 20}) == want &&
           normalizedSelection({-100, 20}, {-400, -300}) == want &&
           normalizedSelection({-100, -300}, {-400, 20}) == want;
}

bool checkMonitorCoordinates() {
    // A work area left of the primary monitor, its taskbar at the bottom.
    const Rect work{-1920, 0, 0, 1040};
    return clampPointToRect({200, 1080}, work) == Point{0, 1040} &&
           clampPointToRect({-2500, -40}, work) == Point{-1920, 0} &&
           clampPointToRect({-960, 500}, work) == Point{-960, 500};
}

bool checkVirtualDesktopCoordinates() {
    return selectionLargeEnough({-400, -300, -368, -268}, 96) && !selectionLargeEnough({-400, -300, -369, -268}, 96) &&
           !selectionLargeEnough({-400, -300, -353, -200}, 144) && selectionLargeEnough({-400, -300, -352, -252}, 144);
}

bool checkDpiMinimum() {
    return minimumSelectionSize(96) == 32 && minimumSelectionSize(120) == 40 && minimumSelectionSize(144) == 48;
}

bool indicatorClearOfArea(const Rect& c, const Rect& b, uint32_t dpi) {
    const IndicatorGeometry g = captureIndicatorGeometry(c, b, dpi);
    if (!g.visible) return false;
    const int32_t reach = g.lineWidth + 1 + g.arrow;
    const bool columnsClear = g.x - reach >= c.right || g.x + reach < c.left;
    return columnsClear && g.top - g.dot >= c.top && g.bottom + g.lineWidth <= c.bottom;
}

bool checkCaptureIndicator() {
    const IndicatorGeometry g = captureIndicatorGeometry({220, 90, 1700, 990}, {0, 0, 1920, 1080}, 96);
    return g.visible && g.x == 1718 && g.top == 410 && g.bottom == 604 &&
           indicatorClearOfArea({-400, -300, -368, -268}, {-500, -500, 500, 500}, 96) &&
           indicatorClearOfArea({0, 0, 40, 40}, {-200, -200, 400, 400}, 120) &&
           indicatorClearOfArea({100, 100, 148, 148}, {0, 0, 600, 600}, 144) &&
           !captureIndicatorGeometry({0, 0, 20, 20}, {-100, -100, 200, 200}, 96).visible;
}

bool stripPlaced(const Rect& c, const Rect& b, uint32_t dpi) {
    const std::optional<Rect> area = promptStripArea(c, b, dpi);
    if (!area) return false;
    const Rect strip = promptStripRect(*area, dpi);
    const bool inside = strip.left >= b.left && strip.right <= b.right && strip.top >= b.top && strip.bottom <= b.bottom;
    return inside && !rectsIntersect(promptStripOuterRect(strip, dpi), c);
}

bool checkCapturePrompt() {
    const Rect b{0, 0, 1920, 1080};
    return stripPlaced({220, 108, 1700, 990}, b, 96) && stripPlaced({220, 0, 1700, 900}, b, 96) &&
           stripPlaced({0, 0, 1200, 1080}, b, 96) && !promptStripArea(b, b, 96).has_value();
}

bool sizeIs(Size s, int32_t w, int32_t h) { return s.width == w && s.height == h; }

bool checkDpiWindowSizes() {
    using S = UiState;
    return sizeIs(defaultWindowSizeForState(S::Home, 96), 620, 380) &&
           sizeIs(defaultWindowSizeForState(S::Home, 120), 775, 475) &&
           sizeIs(defaultWindowSizeForState(S::Home, 144), 930, 570) &&
           sizeIs(defaultWindowSizeForState(S::Home, 168), 1085, 665) &&
           sizeIs(defaultWindowSizeForState(S::Result, 96), 660, 450) &&
           sizeIs(defaultWindowSizeForState(S::Result, 120), 825, 563) &&
           sizeIs(defaultWindowSizeForState(S::Result, 144), 990, 675) &&
           sizeIs(defaultWindowSizeForState(S::Result, 192), 1320, 900) &&
           sizeIs(defaultWindowSizeForState(S::SettingsGeneral, 96), 620, 460) &&
           sizeIs(defaultWindowSizeForState(S::SettingsGeneral, 120), 775, 575);
}

bool checkHomeLayout() {
    const MainPageLayout home = computeMainPageLayout(620, 340, false);
    const MainPageLayout result = computeMainPageLayout(660, 410, true);
    return home.startButton == RectF{180, 170, 440, 224} && home.settingsButton.left == 568 &&
           home.settingsButton.top == 16 && result.firstResultAction.left == 124 &&
           result.firstResultAction.right == 320 && result.secondResultAction.left == 340 &&
           result.secondResultAction.right == 536 && result.settingsButton.left == 608 &&
           dipsToPixels(40, 144) == 60 && dipsToPixels(260, 144) == 390 && dipsToPixels(54, 144) == 81;
}

bool checkResponsiveLayout() {
    const MainPageLayout small = computeMainPageLayout(520, 300, false);
    const MainPageLayout result = computeMainPageLayout(560, 360, true);
    const MainPageLayout large = computeMainPageLayout(760, 460, false);
    const SettingsLayout s1 = computeSettingsLayout(620, 420);
    const SettingsLayout s2 = computeSettingsLayout(540, 360);
    const SettingsLayout s3 = computeSettingsLayout(760, 520);
    return small.startButton.left == 130 && small.startButton.top == 150 &&
           result.firstResultAction == RectF{74, 229, 270, 281} &&
           result.secondResultAction == RectF{290, 229, 486, 281} && result.folderRow.top == 301 &&
           large.startButton == RectF{250, 230, 510, 284} && large.settingsButton.left == 708 &&
           s1.margin == 50 && s1.right == 570 && s1.right - 134 == 436 && s1.folderRowTop == 140 &&
           s2.margin == 20 && s2.folderRowTop == 114 && s2.feedbackRowTop == 324 && s3.headerTitle.top == 66 &&
           s3.feedbackRowTop == 430;
}

bool checkWorkAreaSizing() {
    using S = UiState;
    const Rect fullHd{0, 0, 1920, 1080}, qhd{0, 0, 2560, 1440};
    return sizeIs(windowSizeForWorkArea(S::Home, 96, {0, 0, 760, 600}), 620, 380) &&
           sizeIs(windowSizeForWorkArea(S::Home, 144, fullHd), 930, 570) &&
           sizeIs(windowSizeForWorkArea(S::Home, 144, qhd), 930, 570) &&
           sizeIs(windowSizeForWorkArea(S::Result, 144, fullHd), 990, 675) &&
           sizeIs(windowSizeForWorkArea(S::Result, 144, qhd), 990, 675) &&
           sizeIs(windowSizeForWorkArea(S::SettingsGeneral, 192, {0, 0, 1920, 1040}), 1240, 920);
}

bool checkResizeDirection() {
    // The window grows around its own centre and keeps inside the work area.
    const Rect work{0, 0, 1920, 1040};
    const Rect grown = resizeForStateChange(true, UiState::Home, UiState::Result, true, 96, {100, 100, 720, 480}, work);
    const Rect shrunk = resizeForStateChange(true, UiState::Result, UiState::Home, false, 96, grown, work);
    return grown == Rect{80, 65, 740, 515} && shrunk == Rect{100, 100, 720, 480};
}

bool checkFinishDebounce() {
    FinishLatch latch;
    const bool first = latch.request();
    const bool second = latch.request();
    const bool latched = latch.requested();
    return first && !second && latched;
}

bool checkInterface(Report& report) {
    const bool transitions = checkTransitions();
    const bool scenarios = checkScenarioWalks();
    const bool normalization = checkRectangleNormalization();
    const bool monitor = checkMonitorCoordinates();
    const bool virtualDesktop = checkVirtualDesktopCoordinates();
    const bool dpiMinimum = checkDpiMinimum();
    const bool indicator = checkCaptureIndicator();
    const bool prompt = checkCapturePrompt();
    const bool windowSizes = checkDpiWindowSizes();
    const bool homeLayout = checkHomeLayout();
    const bool responsive = checkResponsiveLayout();
    const bool workArea = checkWorkAreaSizing();
    const bool resize = checkResizeDirection();
    const bool debounce = checkFinishDebounce();
    report.line(std::string("ui-state transitions=") + verdict(transitions) + " scenarios=" + verdict(scenarios) +
                " rectangle-normalization=" + verdict(normalization) + " monitor-coordinates=" + verdict(monitor) +
                " virtual-desktop-coordinates=" + verdict(virtualDesktop) + " dpi-minimum=" + verdict(dpiMinimum) +
                " capture-indicator=" + verdict(indicator) + " capture-prompt=" + verdict(prompt) +
                " dpi-window-sizes=" + verdict(windowSizes) + " home-layout=" + verdict(homeLayout) +
                " responsive-layout=" + verdict(responsive) + " work-area-sizing=" + verdict(workArea) +
                " resize-direction=" + verdict(resize) + " finish-debounce=" + verdict(debounce));
    return transitions && scenarios && normalization && monitor && virtualDesktop && dpiMinimum && indicator &&
           prompt && windowSizes && homeLayout && responsive && workArea && resize && debounce;
}

// --- 5. PNG round trip ---

bool checkPngRoundTrip(Report& report, const fs::path& reportPath) {
    // The report's name + ".roundtrip.png", or a numbered name when a file of
    // that name exists: nothing that was there is replaced or removed.
    fs::path stem = reportPath.filename();
    stem += ".roundtrip";
    fs::path roundTrip;
    try {
        const PixelImage picture = makeTestPage(333, 777, false);
        roundTrip = savePngAsNew(picture, reportPath.parent_path(), stem);
        const PixelImage back = loadPng(roundTrip);
        const bool ok = back.width == picture.width && back.height == picture.height && back.pixels == picture.pixels;
        report.line(std::string("png-chunked-roundtrip") + spacedVerdict(ok));
        fs::remove(roundTrip);
        return ok;
    } catch (const std::exception&) {
        // A failed save leaves nothing; a file written and not read back goes.
        std::error_code ec;
        if (!roundTrip.empty()) fs::remove(roundTrip, ec);
        report.line("png-chunked-roundtrip FAIL");
        return false;
    }
}

}  // namespace

int runSelfTest(const fs::path& reportPath, const UserMessages& tell) {
    Report report;
    std::string failed;
    auto run = [&](const char* name, bool passed) {
        if (!passed) failed += failed.empty() ? name : std::string(", ") + name;
        return passed;
    };
    bool all = run("capture-logging", checkCaptureLogging(report));
    all = run("scenarios", checkScenarios(report)) && all;
    all = run("capture-controller", checkCaptureController(report)) && all;
    all = run("interface", checkInterface(report)) && all;
    all = run("png-chunked-roundtrip", checkPngRoundTrip(report, reportPath)) && all;
    report.line(all ? "ALL TESTS PASSED" : "TESTS FAILED");
    const std::string notWritten = writeWholeFile(reportPath, report.text(), false);
    if (tell && (!failed.empty() || !notWritten.empty())) {
        std::string why = failed.empty() ? std::string() : "checks failed: " + failed;
        if (!notWritten.empty())
            why += (why.empty() ? "" : "; ") + std::string("the report ") + displayPath(reportPath) +
                   " was not written: it " + notWritten;
        tell("--self-test failed: " + why);
    }
    return all && notWritten.empty() ? 0 : 1;
}

}  // namespace tf
