#pragma once
// The words of a seam mark: its tooltip and automation name say which frames
// the join is between, their overlap and why the stitch joined them there.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/review/seam_kinds.h"
#include "core/settings/ui_language.h"
#include "core/stitch/seam_record.h"

namespace tf {

std::wstring seamMarkText(const SeamRecord& record, UiLanguage language);
const wchar_t* seamKindName(SeamKind kind, UiLanguage language);
// A mark's whole name: its kind, then its text.
std::wstring seamMarkName(SeamKind kind, const SeamRecord& record, UiLanguage language);

// The review's status line and its image's automation name: the image's size,
// the kept part's, the number of seams and (the status line only) the zoom.
struct ReviewFigures {
    int32_t width = 0, height = 0;
    int32_t keptWidth = 0, keptHeight = 0;
    size_t seams = 0;
    int32_t zoomPercent = 100;
};
std::wstring reviewStatusLine(const ReviewFigures& f, UiLanguage language);
std::wstring reviewImageName(const ReviewFigures& f, UiLanguage language);

}  // namespace tf
