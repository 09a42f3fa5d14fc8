#pragma once
// The numbers that tune the matcher, the composer and the two capture loops,
// each with the reason for its value. They were found on real pages and real
// timing; changing one changes which frames are kept and how they are joined.

#include <cstdint>

namespace tf {

// --- overlap matcher ---

// The score of a candidate or seam with no usable evidence. Large enough that
// adding any tolerance to it leaves it unchanged in double precision, so an
// all-unusable search stays unusable whatever it is compared with.
inline constexpr double kInvalidScore = 1e18;

// Highest profile score an overlap may have and be accepted: real pages with
// anti-aliased text, carets and repainted details score well below it,
// unrelated content well above.
inline constexpr double kAcceptScore = 18.0;

// How much worse than the best candidate one near the expected overlap may
// score and still be preferred: steady scrolling moves the page by about the
// same distance every time, and on repeating content many candidates score
// alike.
inline constexpr double kPriorTolerance = 0.7;

// The same, once motion was measured within a step: the next probe is then
// known to be about one more probe's motion further, so the expectation may
// outweigh a somewhat better score elsewhere.
inline constexpr double kMotionPriorTolerance = 1.5;

// Candidates scoring within this of the chosen overlap are checked against
// the pixels: the margin within which scores count as equally good, as for the
// expectation.
inline constexpr double kPixelCheckTolerance = kPriorTolerance;

// A profile score above this is accepted only after the pixels were asked
// whether another overlap has identical rows.
inline constexpr double kConvincingScore = 2.0;

// Identical rows must cover at least this many rows of an overlap, with at
// least kMinIdenticalContentRows of them showing something: fewer could be a
// coincidence of a few blank-ish lines.
inline constexpr int32_t kMinIdenticalRows = 16;
inline constexpr int32_t kMinIdenticalContentRows = 6;

// A profile answer compared over fewer rows than this rests on little evidence.
inline constexpr int32_t kMinComparedRows = 32;

// The smallest shift between two frames the matcher considers. Below it the
// row profiles of neighbouring overlaps are too alike to tell apart (every
// line of text spans more rows than that), so smaller shifts are measured by
// the small-shift test instead.
inline constexpr int32_t kMatcherMinShiftRows = 8;

// The largest shift the small-shift test measures: every shift the matcher
// does not consider.
inline constexpr int32_t kSmallShiftMaxRows = kMatcherMinShiftRows - 1;

// A bin of a row profile shows content when its ink, or its edge strength
// times kContentEdgeWeight, reaches kContentLimit (of 255): bins of plain
// background on both sides say nothing about a shift and are left out of a
// candidate's cost, while the faintest rule or tint still counts.
inline constexpr float kContentLimit = 0.8f;
inline constexpr float kContentEdgeWeight = 1.5f;

// Weight of the edge difference against the ink difference in a candidate's
// cost: both move with the content, the ink is the steadier of the two.
inline constexpr double kCostEdgeWeight = 0.65;

// Mean |ΔY| per sampled pixel up to which rows or columns count as unchanged
// between two frames (fixed bars, side panels, an unmoved page): above the
// noise of font smoothing and compression, below any real change of content.
inline constexpr double kUnchangedMeanLuma = 2.5;

// Overlaps compared by the matcher: at least this share of the frame's height
// and this many rows, below which a match rests on too few rows to be sure.
inline constexpr double kMinOverlapShare = 0.12;
inline constexpr int32_t kMinOverlapRows = 32;

// Candidates within this many rows of the expected overlap count as "near the
// expectation": more than any wobble of steady scrolling, far less than a
// frame, so a repeating pattern one period away is not taken for it.
inline constexpr int32_t kExpectationWindowRows = 80;

// A candidate's profile comparison starts at most this many rows above the end
// of the skipped top rows: the rows just under a fixed header still count.
inline constexpr int32_t kCompareTopMarginRows = 12;

// The seam is sought this many rows clear of fixed bars, and never closer than
// kSeamEdgeRows to either end of the overlap, so that a bar's shadow or a
// frame's edge is never the join.
inline constexpr int32_t kSeamBarMarginRows = 12;
inline constexpr int32_t kSeamEdgeRows = 8;

// The columns profiled: the middle of the content, leaving out the left 6 %
// and the right 10 %, where scroll bars, line numbers and a moving thumb live.
inline constexpr double kContentBandLeftShare = 0.06;
inline constexpr double kContentBandRightShare = 0.9;

// --- capture loops ---

// GetAsyncKeyState bits: down now (0x8000) or pressed since the last query
// (0x0001), so that a short press between two polls is not missed.
inline constexpr uint16_t kKeyDownOrPressed = 0x8001;

// The wheel's unit: one notch of a standard wheel is 120 units, and the system
// setting (lines per notch) is relative to the 3 lines a notch scrolls by default.
inline constexpr int32_t kWheelDeltaPerNotch = 120;
inline constexpr uint32_t kDefaultWheelLines = 3;

// The smallest notch sent, as for "one screen per notch": a quarter notch still
// moves every page that takes wheel input, and many small notches only slow
// the capture down.
inline constexpr int32_t kMinWheelDelta = 30;

// After the pointer is parked over the area, the first frame waits for the
// picture to rest (a hover effect the pointer started, a highlighted row, has
// painted), but never longer than this.
inline constexpr uint32_t kCursorParkWaitMs = 180;
// A window paints the hover state of the pointer's arrival within a few
// frames: the first look at the area is this long after the park.
inline constexpr uint32_t kHoverPaintMs = 50;

// Esc is polled this often during every wait, so a stop takes effect at once.
inline constexpr uint32_t kPollMs = 15;

// After a notch: long enough for pages that scroll smoothly to arrive.
inline constexpr uint32_t kWheelWaitMs = 300;

// Between the grabs that wait for the page to come to rest after it was sent to its top.
inline constexpr uint32_t kSettleWaitMs = 80;

// After the inputs of a probe the area is grabbed as often as grabbing allows,
// but no more often than this: a grab of a small area on Windows takes a few
// milliseconds, and a page does not repaint faster than the screen refreshes.
inline constexpr uint32_t kMinGrabIntervalMs = 15;

// A picture that has not begun to move this long after the inputs has not
// moved: long enough for a window that takes a moment to start scrolling,
// smoothly or not. Still probes at the end of the page wait this long each
// until the page has shown how soon it starts to move.
inline constexpr uint32_t kMotionWaitMs = 300;
// Once it has, a still probe waits kStillWaitFactor times the longest start
// seen (a page that answers its inputs at once ends in a fraction of the wait),
// but no less than kMinMotionWaitMs: a start measured once may be a quick one.
inline constexpr uint32_t kStillWaitFactor = 4;
inline constexpr uint32_t kMinMotionWaitMs = 120;

// A picture that moved is judged once it has stayed the same for the
// capture's settle period: at first kSettleStartMs, long enough for some
// grabs in a row to agree. A picture that changes again after a rest of d ms
// (smooth scrolling that ends slowly, content painted late) lengthens the
// period to d + max(kSettleMarginMs, d / 5), at most kMaxSettleMs.
inline constexpr uint32_t kSettleStartMs = 90;
inline constexpr uint32_t kSettleMarginMs = 40;
inline constexpr uint32_t kMaxSettleMs = 800;

// The first motion of a capture is watched at rest for this long at least,
// so that content painted after the page stopped is seen once and the settle
// period learnt from it before any frame is judged too early.
inline constexpr uint32_t kLearnRestMs = 400;

// A picture that never comes to rest (an animation in the area) is judged
// as it is this long after the motion wait, or after twice the rest asked
// of it when that is longer: 700 ms after the inputs with the first settle
// period, as long as the earlier fixed waits took.
inline constexpr uint32_t kRestlessMs = 400;

// An animation in the area: rows that change at least kAnimationChanges times
// within one probe's watch, over kAnimationSpanMs at least, in changes that
// touch at most a kAnimationMaxShareDivisor-th of the rows in at most
// kAnimationMaxRuns runs (rows kAnimationRunGap apart join one run). Content
// painted late changes once per probe; a page that moves changes everywhere.
// At most a kAnimationMaxShareDivisor-th of the rows is ever left out.
inline constexpr uint16_t kAnimationChanges = 3;
inline constexpr uint64_t kAnimationSpanMs = 150;
inline constexpr int32_t kAnimationMaxShareDivisor = 4;
inline constexpr int32_t kAnimationMaxRuns = 3;
inline constexpr int32_t kAnimationRunGap = 8;

// Most inputs one probe sends: a window that scrolls a few pixels per input
// (a character sideways) needs many for half a frame, but a burst must stay
// short enough that the window takes it all before it is grabbed.
inline constexpr int32_t kMaxInputsPerProbe = 48;

// A probe of several inputs moved as expected when its motion is within this
// share of the expected rows, or within kExpectedMotionRows when that is more.
inline constexpr int32_t kExpectedMotionShareDivisor = 8;
inline constexpr int32_t kExpectedMotionRows = 8;

// After the page was sent to its top: a jump from far down the page may
// animate for longer than a notch does, so the picture is grabbed again until
// two grabs agree, up to this many settle waits (1.6 s).
inline constexpr int32_t kTopSettleGrabs = 20;

// ShowCursor keeps a counter; a host that never reports it negative must not
// keep the loop going for ever.
inline constexpr int32_t kMaxCursorHides = 64;

// Unmoved probes in a row that end the page, at the least: one unmoved notch
// may be a page still loading.
inline constexpr int32_t kMinStillProbes = 3;

// Probes per step at the least: a page that moves a little with every notch
// must get enough notches to move a frame's worth.
inline constexpr int32_t kMinProbesPerStep = 24;

// Frames whose overlap with the last kept frame is above this share of its
// height are too close to keep yet: keeping them would only add frames, and
// the next notch still overlaps the last kept frame well.
inline constexpr double kKeepScrollingShare = 0.65;

// A capture keeps at most this many frames: a page that never ends (an
// endless feed) must end, saved.
inline constexpr int32_t kMaxCaptureFrames = 1000;

// A capture ends, saved, before the stitched image would pass this many
// pixels. Until the end every kept frame is held whole as well as the image
// composed from them: 250 M pixels are 1 GB of image, and the frames behind
// it at the usual overlap about as much again, which a 64-bit machine holds.
// It also keeps the image's bytes below 2^31, so that no byte count of a
// bitmap or a row buffer passes a signed 32-bit size. Full-HD frames reach it
// long before the frame limit (about 190 frames at a third's overlap).
inline constexpr int64_t kMaxCapturePixels = 250'000'000;

// Two grabs differing by less than this in R + G + B on average (sparsely
// sampled) show the same picture: screen noise stays below it, a moved page
// does not.
inline constexpr uint64_t kStillMeanDifference = 3;

// --- manual capture ---

// The shell's timer period; grabs are 40-60 ms apart.
inline constexpr uint32_t kManualTickMs = 50;
// A pending frame not passed for this long is kept: the person paused there.
inline constexpr uint64_t kManualPauseMs = 1000;
// A picture is judged once it has come to rest: unchanged from grab to grab
// for this long, so that a page that paints just after it stopped is seen painted.
inline constexpr uint64_t kManualRestMs = 80;
// A picture that has kept changing for this long (a slow continuous scroll,
// smooth scrolling under a steady wheel, an animation in the area) is judged
// all the same, as the automatic loop judges its last unsettled grab; else a
// steady scroll would only ever be seen once it had gone too far. Such a
// picture is never kept straight away, only held as the pending frame.
inline constexpr uint64_t kManualMovingMs = 250;

// Rows of a kept frame with anything on them must number at least this many
// for a later picture to count as that frame repainted in place.
inline constexpr int32_t kRepaintMinContentRows = 32;

// A short overlap left by the person (under a quarter of the frame) is trusted
// only when it scores at most this: its rows agree nearly exactly, as a join
// at the wrong place of repeating rows does not.
inline constexpr double kExactMatchScore = 3.0;

}  // namespace tf
