// The seam marks: one small child window per join in the strip beside the
// image, so that each has its own tooltip and its own automation element
// that says the pair, the overlap and why, and a click (or Invoke) makes it
// the seam "Cut at this seam" acts on.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "core/texts/seam_texts.h"
#include "ground/dpi.h"
#include "platform/win32/uia_core_win32.h"
#include "shell/review/review_paint_win32.h"
#include "shell/review/review_window_win32.h"
#include "shell/ui/palette.h"
#include "platform/win32/win32_paint.h"

namespace tf {

std::wstring ReviewWindow::markName(size_t seam) const {
    const ReviewSeam& s = model_->seams()[seam];
    return seamMarkName(s.kind, capture_.seams[s.record], language());
}

std::wstring ReviewWindow::imageName() const {
    const TrimRect& k = model_->rect();
    return reviewImageName({image_->width(), image_->height(), k.width(), k.height(), model_->seams().size(), 100},
                           language());
}

void ReviewWindow::createMarks() {
    const size_t count = model_->seams().size();
    for (size_t i = 0; i < count; ++i) {
        const auto id = static_cast<INT_PTR>(static_cast<size_t>(ReviewControl::FirstSeamMark) + i);
        HWND mark = CreateWindowExW(0, kReviewSeamClass, nullptr, WS_CHILD, 0, 0, 0, 0, canvas_,
                                    reinterpret_cast<HMENU>(id), instance_, this);
        if (mark == nullptr) continue;
        marks_.push_back(mark);
        if (!tooltip_) continue;
        std::wstring text = markName(i);
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = canvas_;
        tool.uId = reinterpret_cast<UINT_PTR>(mark);
        tool.lpszText = text.data();
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// Each mark sits in the strip at its seam's row (column when sideways);
// marks outside the view are hidden.
void ReviewWindow::placeMarks() {
    if (canvas_ == nullptr) return;
    const RECT area = imageArea();
    const int32_t strip = gutter(), length = std::max(dipsToPixels(kSeamMarkLengthDips, dpi_), 4);
    const int32_t inset = std::max(dipsToPixels(5, dpi_), 1);
    const auto& seams = model_->seams();
    HDWP moves = BeginDeferWindowPos(static_cast<int>(marks_.size()));
    for (size_t i = 0; i < marks_.size() && i < seams.size(); ++i) {
        const double along = sideways_ ? area.left + view_->windowX(seams[i].position)
                                       : area.top + view_->windowY(seams[i].position);
        const int32_t at = static_cast<int32_t>(std::lround(along)) - length / 2;
        const bool shown = sideways_ ? at + length > area.left && at < area.right : at + length > area.top && at < area.bottom;
        const int32_t x = sideways_ ? at : inset, y = sideways_ ? inset : at;
        const int32_t w = sideways_ ? length : strip - 2 * inset, h = sideways_ ? strip - 2 * inset : length;
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
        if (moves != nullptr) moves = DeferWindowPos(moves, marks_[i], nullptr, x, y, w, h, flags);
        else SetWindowPos(marks_[i], nullptr, x, y, w, h, flags);
        InvalidateRect(marks_[i], nullptr, FALSE);
    }
    if (moves != nullptr) EndDeferWindowPos(moves);
}

void ReviewWindow::paintMark(HWND mark, HDC hdc) const {
    const size_t i = static_cast<size_t>(GetDlgCtrlID(mark)) - static_cast<size_t>(ReviewControl::FirstSeamMark);
    if (i >= model_->seams().size()) return;
    RECT r{};
    GetClientRect(mark, &r);
    SetDCBrushColor(hdc, seamKindColour(model_->seams()[i].kind));
    FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (currentSeam_ == i) {
        // The seam a cut acts on wears a dark frame.
        SetDCBrushColor(hdc, palette::titleText);
        FrameRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
}

LRESULT CALLBACK ReviewWindow::seamProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    const auto* self = reinterpret_cast<const ReviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->model_ == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: paintWindow(window, [&](HDC dc) { self->paintMark(window, dc); }); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONUP:
        case BM_CLICK:
            // The frame chooses the seam; the mark is its control.
            PostMessageW(self->frame_, WM_COMMAND, static_cast<WPARAM>(GetDlgCtrlID(window)), reinterpret_cast<LPARAM>(window));
            return 0;
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == kUiaRootObjectId) {
                const size_t i = static_cast<size_t>(GetDlgCtrlID(window)) - static_cast<size_t>(ReviewControl::FirstSeamMark);
                return answerReviewAutomation(window, wParam, lParam,
                                              {self->markName(i), L"SeamMark" + std::to_wstring(i + 1),
                                               kUiaButtonControlTypeId, true});
            }
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tf
