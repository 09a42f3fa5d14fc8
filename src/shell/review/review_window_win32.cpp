#include "shell/review/review_window_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "core/app/control_ids.h"
#include "core/review/trimmed_image.h"
#include "core/texts/seam_texts.h"
#include "core/texts/texts.h"
#include "ground/dpi.h"
#include "shell/review/review_automation_win32.h"
#include "shell/review/review_paint_win32.h"
#include "platform/win32/uia_core_win32.h"
#include "platform/win32/win32_paint.h"

namespace tf {
namespace {

constexpr int32_t kWindowWidthDips = 900, kWindowHeightDips = 760;
constexpr int32_t kMinWidthDips = 520, kMinHeightDips = 360;

HMENU controlMenu(ReviewControl c) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(c)); }

ReviewWindow* reviewOf(HWND window) { return reinterpret_cast<ReviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

bool keyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Buttons answer automation with their own words; everything else as a button does.
constexpr UINT_PTR kReviewButtonSubclass = 1;
LRESULT CALLBACK reviewButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == kUiaRootObjectId) {
        const auto* element = reinterpret_cast<const ReviewElement*>(data);
        return answerReviewAutomation(button, wParam, lParam, *element);
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

ReviewWindow::ReviewWindow(HINSTANCE instance, ReviewHost& host) : instance_(instance), host_(host) {}

ReviewWindow::~ReviewWindow() { close(); }

bool ReviewWindow::registerClasses() {
    const struct {
        const wchar_t* name;
        WNDPROC proc;
        LPCWSTR cursor;
    } classes[] = {{kReviewWindowClass, frameProc, IDC_ARROW},
                   {kReviewCanvasClass, canvasProc, IDC_ARROW},
                   {kReviewSeamClass, seamProc, IDC_HAND}};
    for (const auto& c : classes) {
        WNDCLASSW wc{};
        wc.style = c.proc == frameProc ? 0 : CS_DBLCLKS;
        wc.lpfnWndProc = c.proc;
        wc.hInstance = instance_;
        wc.hCursor = LoadCursorW(nullptr, c.cursor);
        wc.hIcon = c.proc == frameProc ? static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kAppIconResource),
                                                                       IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED))
                                       : nullptr;
        wc.lpszClassName = c.name;
        if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    return true;
}

bool ReviewWindow::open(HWND owner, ReviewCapture capture) {
    if (frame_ != nullptr) {
        SetForegroundWindow(frame_);
        return true;
    }
    if (!registerClasses()) return false;
    auto image = std::make_unique<ReviewImage>();
    capture_ = std::move(capture);
    sideways_ = capture_.direction == ScrollDirection::Right;
    // The frame exists before the image is read, so the decoder has a window to tell.
    const uint32_t dpi = owner != nullptr ? effectiveDpi(GetDpiForWindow(owner)) : effectiveDpi(GetDpiForSystem());
    const int32_t w = dipsToPixels(kWindowWidthDips, dpi), h = dipsToPixels(kWindowHeightDips, dpi);
    RECT work{0, 0, w, h};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor)) work = monitor.rcWork;
    const int32_t ww = std::min<int32_t>(w, work.right - work.left), wh = std::min<int32_t>(h, work.bottom - work.top);
    HWND frame = CreateWindowExW(0, kReviewWindowClass, tr(language(), texts::reviewWindowTitle),
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, work.left + (work.right - work.left - ww) / 2,
                                 work.top + (work.bottom - work.top - wh) / 2, ww, wh, owner, nullptr, instance_, this);
    if (frame == nullptr) return false;
    if (!image->open(capture_.savedPath, frame, kReviewImageProgress)) {
        DestroyWindow(frame);
        MessageBoxW(owner, tr(language(), texts::reviewLoadFailedMessage), tr(language(), texts::productName),
                    MB_ICONERROR);
        return false;
    }
    image_ = std::move(image);
    model_ = std::make_unique<TrimModel>(image_->width(), image_->height(), sideways_, reviewSeamsOf(capture_.seams));
    view_ = std::make_unique<ReviewView>(image_->width(), image_->height(), sideways_);
    dpi_ = effectiveDpi(GetDpiForWindow(frame));
    createChildren();
    layout();
    ShowWindow(frame, SW_SHOW);
    // The image first: the top rows are decoded by now, and the toolbar's
    // text may take a while on its first pass.
    UpdateWindow(canvas_);
    SetForegroundWindow(frame);
    SetFocus(canvas_);
    return true;
}

void ReviewWindow::close() {
    if (frame_ != nullptr) DestroyWindow(frame_);
}

LRESULT CALLBACK ReviewWindow::frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ReviewWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->frame_ = window;
    }
    ReviewWindow* self = reviewOf(window);
    return self != nullptr ? self->onFrame(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

void ReviewWindow::createChildren() {
    canvas_ = CreateWindowExW(0, kReviewCanvasClass, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL,
                              0, 0, 0, 0, frame_, controlMenu(ReviewControl::Canvas), instance_, this);
    const UiLanguage lang = language();
    saveElement_ = {tr(lang, texts::saveTrimmedButton), L"SaveTrimmedButton", kUiaButtonControlTypeId, true};
    cutElement_ = {tr(lang, texts::cutAtSeamCommand), L"CutAtSeamButton", kUiaButtonControlTypeId, true};
    const ReviewElement* elements[] = {&saveElement_, &cutElement_};
    HWND* buttons[] = {&saveButton_, &cutButton_};
    const ReviewControl ids[] = {ReviewControl::SaveTrimmed, ReviewControl::CutAtSeam};
    for (size_t i = 0; i < 2; ++i) {
        *buttons[i] = CreateWindowExW(0, L"BUTTON", elements[i]->name.c_str(), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0,
                                      0, 0, frame_, controlMenu(ids[i]), instance_, nullptr);
        SetWindowSubclass(*buttons[i], reviewButtonProc, kReviewButtonSubclass, reinterpret_cast<DWORD_PTR>(elements[i]));
    }
    EnableWindow(cutButton_, !model_->seams().empty());
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, frame_, nullptr, instance_,
                                   nullptr));
    if (tooltip_) SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, dipsToPixels(420, dpi_));
    createMarks();
}

void ReviewWindow::layout() {
    if (frame_ == nullptr || canvas_ == nullptr) return;
    RECT client{};
    GetClientRect(frame_, &client);
    const ReviewToolbarLayout t = reviewToolbarLayout(client.right, dpi_);
    SetWindowPos(saveButton_, nullptr, t.save.left, t.save.top, t.save.right - t.save.left, t.save.bottom - t.save.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(cutButton_, nullptr, t.cut.left, t.cut.top, t.cut.right - t.cut.left, t.cut.bottom - t.cut.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(canvas_, nullptr, 0, t.height, client.right, std::max<int32_t>(client.bottom - t.height, 1),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    viewportChanged();
}

void ReviewWindow::refresh() {
    updateScrollBar();
    placeMarks();
    InvalidateRect(canvas_, nullptr, FALSE);
    RECT client{};
    GetClientRect(frame_, &client);
    RECT bar{0, 0, client.right, reviewToolbarLayout(client.right, dpi_).height};
    InvalidateRect(frame_, &bar, FALSE);
}

LRESULT ReviewWindow::onFrame(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: layout(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: paintWindow(window, [&](HDC dc) { paintToolbar(dc); }); return 0;
        case WM_DRAWITEM: drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_COMMAND: {
            const auto id = static_cast<ReviewControl>(LOWORD(wParam));
            if (id == ReviewControl::SaveTrimmed) applyCommand(ReviewCommand::Save);
            else if (id == ReviewControl::CutAtSeam) applyCommand(ReviewCommand::CutAtSeam);
            else if (LOWORD(wParam) >= static_cast<WORD>(ReviewControl::FirstSeamMark)) {
                currentSeam_ = LOWORD(wParam) - static_cast<size_t>(ReviewControl::FirstSeamMark);
                refresh();
            }
            if (IsWindow(canvas_)) SetFocus(canvas_);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && canvas_ != nullptr) SetFocus(canvas_);
            return 0;
        case WM_MOUSEWHEEL: onWheel(wParam, lParam, false); return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {dipsToPixels(kMinWidthDips, dpi_),
                                                                      dipsToPixels(kMinHeightDips, dpi_)};
            return 0;
        case WM_DPICHANGED: {
            dpi_ = effectiveDpi(HIWORD(wParam));
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            cache_.clear();
            layout();
            return 0;
        }
        case kReviewImageProgress:
            if (image_ && image_->failed()) {
                MessageBoxW(window, tr(language(), texts::reviewLoadFailedMessage), tr(language(), texts::productName),
                            MB_ICONERROR);
                DestroyWindow(window);
            } else {
                InvalidateRect(canvas_, nullptr, FALSE);
            }
            return 0;
        case kReviewSaveDone: onSaveDone(); return 0;
        case WM_DESTROY: onDestroy(); return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ReviewWindow::onDestroy() {
    marks_.clear();
    tooltip_.reset();
    cache_.clear();
    // A save asked for is finished, not dropped; it reads the image until then.
    saveJob_.wait();
    // Joins the decoder: nothing posts to this window after it is gone.
    image_.reset();
    frame_ = canvas_ = saveButton_ = cutButton_ = nullptr;
    host_.reviewClosed();
}

void ReviewWindow::applyCommand(ReviewCommand command) {
    TrimModel& m = *model_;
    ReviewView& v = *view_;
    switch (command) {
        case ReviewCommand::SelectTop: m.select(TrimEdge::Top); break;
        case ReviewCommand::SelectBottom: m.select(TrimEdge::Bottom); break;
        case ReviewCommand::SelectLeft: m.select(TrimEdge::Left); break;
        case ReviewCommand::SelectRight: m.select(TrimEdge::Right); break;
        case ReviewCommand::MoveUp: moveByArrow(ArrowKey::Up); break;
        case ReviewCommand::MoveDown: moveByArrow(ArrowKey::Down); break;
        case ReviewCommand::MoveLeft: moveByArrow(ArrowKey::Left); break;
        case ReviewCommand::MoveRight: moveByArrow(ArrowKey::Right); break;
        case ReviewCommand::NextSeam: jumpToSeam(true); break;
        case ReviewCommand::PreviousSeam: jumpToSeam(false); break;
        case ReviewCommand::Undo: m.undo(); break;
        case ReviewCommand::Redo: m.redo(); break;
        case ReviewCommand::Fit: v.fit(); break;
        case ReviewCommand::ActualSize: v.actualSize(); break;
        case ReviewCommand::PageUp: v.page(false); break;
        case ReviewCommand::PageDown: v.page(true); break;
        case ReviewCommand::Home: v.home(); break;
        case ReviewCommand::End: v.end(); break;
        case ReviewCommand::CutAtSeam: showCutMenu(); break;
        case ReviewCommand::Save: saveTrimmed(); return;
        case ReviewCommand::Close: close(); return;
        case ReviewCommand::None: return;
    }
    if (frame_ != nullptr) refresh();
}

void ReviewWindow::moveByArrow(ArrowKey key) {
    if (model_->arrow(key, keyHeld(VK_SHIFT))) keepEdgeInView(model_->selected());
}

void ReviewWindow::jumpToSeam(bool forward) {
    const auto& seams = model_->seams();
    const Span64 rows = sideways_ ? view_->visibleColumns() : view_->visibleRows();
    const int64_t from = currentSeam_ && *currentSeam_ < seams.size() ? seams[*currentSeam_].position
                         : forward                                     ? rows.first - 1
                                                                       : rows.end;
    const std::optional<size_t> next = model_->nextWeakSeam(from, forward);
    if (!next) return;
    currentSeam_ = next;
    view_->centreOn(seams[*next].position);
}

void ReviewWindow::showCutMenu() {
    const auto& seams = model_->seams();
    if (seams.empty()) return;
    if (!currentSeam_ || *currentSeam_ >= seams.size()) {
        jumpToSeam(true);
        if (!currentSeam_) return;
        refresh();
    }
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    const UiLanguage lang = language();
    AppendMenuW(menu.get(), MF_STRING, static_cast<UINT>(ReviewMenuItem::DropAfter), tr(lang, texts::dropAfterSeamCommand));
    AppendMenuW(menu.get(), MF_STRING, static_cast<UINT>(ReviewMenuItem::DropBefore), tr(lang, texts::dropBeforeSeamCommand));
    RECT at{};
    GetWindowRect(cutButton_, &at);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, at.left, at.bottom, 0,
                       frame_, nullptr));
    if (chosen == static_cast<UINT>(ReviewMenuItem::DropAfter)) model_->cutAtSeam(*currentSeam_, CutSide::DropAfter);
    else if (chosen == static_cast<UINT>(ReviewMenuItem::DropBefore)) model_->cutAtSeam(*currentSeam_, CutSide::DropBefore);
}

void ReviewWindow::saveTrimmed() {
    if (saveAwaitingAnswer_) return;
    ReviewImage* image = image_.get();
    HWND frame = frame_;
    // The outcome stays with the job; the message only says it is there.
    const bool started = saveJob_.start(
        [image]() -> const uint32_t* { return image->waitDecoded() ? image->row(0) : nullptr; }, image->width(),
        image->height(), model_->rect(), capture_.savedPath,
        [frame](TrimmedSaveOutcome) { PostMessageW(frame, kReviewSaveDone, 0, 0); },
        [](const std::function<void()>& save) {
            // The encoder is WIC's: COM on the worker, for as long as it writes.
            const ComApartment com(COINIT_MULTITHREADED);
            save();
        });
    // A save already under way keeps the button off; the key does nothing more.
    if (started) {
        saveAwaitingAnswer_ = true;
        EnableWindow(saveButton_, FALSE);
    }
}

void ReviewWindow::onSaveDone() {
    if (saveJob_.running()) return;
    saveAwaitingAnswer_ = false;
    const TrimmedSaveOutcome& told = saveJob_.lastOutcome();
    EnableWindow(saveButton_, TRUE);
    if (told.written.empty()) {
        const UiLanguage lang = language();
        MessageBoxW(frame_, tr(lang, texts::trimmedSaveFailedMessage), tr(lang, texts::productName), MB_ICONERROR);
        return;
    }
    if (host_.copyAfterCapture()) host_.copyImageFile(told.written);
    close();
}

}  // namespace tf
