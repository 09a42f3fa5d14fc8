#pragma once
// The words of a seam mark: its tooltip and automation name say which frames
// the join is between, their overlap and why the stitch joined them there.

#include <string>

#include "core/review/seam_kinds.h"
#include "core/settings/ui_language.h"
#include "core/stitch/seam_record.h"

namespace tf {

std::wstring seamMarkText(const SeamRecord& record, UiLanguage language);
const wchar_t* seamKindName(SeamKind kind, UiLanguage language);

}  // namespace tf
