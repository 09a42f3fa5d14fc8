#pragma once
// The review window: the saved image fitted to the window, every seam marked
// beside it by how sure the stitch was, and four trim edges that Enter (or
// "Save trimmed") writes as a new file beside the capture. Its own object,
// created by whoever holds a ReviewHost, reached by its window procedures
// through GWLP_USERDATA. The original file is never written.

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "core/review/review_keys.h"
#include "core/review/review_view.h"
#include "core/review/trim_model.h"
#include "core/review/trimmed_save_job.h"
#include "platform/win32/win32_handles.h"
#include "shell/review/review_automation_win32.h"
#include "shell/review/review_cache_win32.h"
#include "shell/review/review_host_win32.h"
#include "shell/review/review_image_win32.h"

namespace tf {

inline constexpr wchar_t kReviewWindowClass[] = L"TallyframeReview";
inline constexpr wchar_t kReviewCanvasClass[] = L"TallyframeReviewImage";
inline constexpr wchar_t kReviewSeamClass[] = L"TallyframeReviewSeam";

// The window's own controls and messages, by name.
enum class ReviewControl : int32_t { Canvas = 1, SaveTrimmed = 2, CutAtSeam = 3, FirstSeamMark = 100 };
enum class ReviewMenuItem : UINT { DropAfter = 1, DropBefore = 2 };
inline constexpr UINT kReviewImageProgress = WM_APP + 40;  // the decoder has more rows
inline constexpr UINT kReviewSaveDone = WM_APP + 41;       // the trimmed save has ended

class ReviewWindow {
public:
    ReviewWindow(HINSTANCE instance, ReviewHost& host);
    ~ReviewWindow();
    ReviewWindow(const ReviewWindow&) = delete;
    ReviewWindow& operator=(const ReviewWindow&) = delete;

    // Shows `capture`, owned by `owner` (may be null); brings an open review
    // to the front instead. False when the window or the image failed.
    bool open(HWND owner, ReviewCapture capture);
    bool isOpen() const { return frame_ != nullptr; }
    HWND frame() const { return frame_; }
    void close();

    // The figures of the bench: the cache's bytes, the image's.
    uint64_t cacheBytes() const { return cache_.bytes(); }
    double scale() const { return view_ ? view_->scale() : 0.0; }
    bool imageComplete() const { return image_ && image_->complete(); }
    int32_t rowsDecoded() const { return image_ ? image_->rowsReady() : 0; }
    // From the press that starts a save until its answer is handled: a second press in between, even once the
    // worker has ended, would write a second file.
    bool saving() const { return saveAwaitingAnswer_; }
    uint64_t imageBytes() const {
        return image_ ? static_cast<uint64_t>(image_->width()) * static_cast<uint64_t>(image_->height()) * 4u : 0;
    }

private:
    static LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK canvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK seamProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool registerClasses();
    LRESULT onFrame(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onCanvas(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // review_window_win32.cpp: the frame, its buttons and commands.
    void createChildren();
    void layout();
    void applyCommand(ReviewCommand command);
    void moveByArrow(ArrowKey key);
    void jumpToSeam(bool forward);
    void showCutMenu();
    void saveTrimmed();
    void onSaveDone();
    void refresh();
    void paintToolbar(HDC hdc);
    void drawButton(const DRAWITEMSTRUCT& item);
    void onDestroy();
    UiLanguage language() const { return host_.language(); }

    // review_canvas_win32.cpp: the image, the trim and the scroll bar.
    void paintCanvas(HDC hdc);
    void drawBands(HDC hdc);
    void drawTrim(HDC hdc);
    void updateScrollBar();
    void onScroll(WPARAM wParam, int bar);
    void onWheel(WPARAM wParam, LPARAM lParam, bool sidewaysWheel);
    void onPointer(UINT message, LPARAM lParam);
    std::optional<TrimEdge> edgeNear(int32_t x, int32_t y) const;
    int32_t imagePositionAt(TrimEdge edge, int32_t x, int32_t y) const;
    void keepEdgeInView(TrimEdge edge);
    void viewportChanged();
    int32_t gutter() const;
    RECT imageArea() const;

    // review_marks_win32.cpp: one small window per seam, beside the image.
    void createMarks();
    void placeMarks();
    void paintMark(HWND mark, HDC hdc) const;
    std::wstring markName(size_t seam) const;
    std::wstring imageName() const;

    HINSTANCE instance_;
    ReviewHost& host_;
    HWND frame_ = nullptr;
    HWND canvas_ = nullptr;
    HWND saveButton_ = nullptr;
    HWND cutButton_ = nullptr;
    ReviewElement saveElement_, cutElement_;  // what the two buttons tell automation
    UniqueWindow tooltip_;
    std::vector<HWND> marks_;  // children of the canvas, in the order of the model's seams
    ReviewCapture capture_;
    bool sideways_ = false;
    std::unique_ptr<ReviewImage> image_;
    std::unique_ptr<TrimModel> model_;
    std::unique_ptr<ReviewView> view_;
    ScaledCache cache_;
    std::optional<size_t> currentSeam_;  // index into the model's seams: the one N found or a click chose
    uint32_t dpi_ = 96;
    // Last: joined first when the window object goes, while the image it reads still exists.
    TrimmedSaveJob saveJob_;
    bool saveAwaitingAnswer_ = false;
};

}  // namespace tf
