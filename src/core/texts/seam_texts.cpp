#include "core/texts/seam_texts.h"

#include <cwchar>
#include <vector>

#include "core/texts/texts.h"

namespace tf {
namespace {

template <typename... Args>
std::wstring formatted(const wchar_t* format, Args... args) {
    std::wstring out(512, L'\0');
    const int n = std::swprintf(out.data(), out.size(), format, args...);
    out.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return out;
}

std::vector<std::wstring> reasonsOf(const SeamRecord& r, UiLanguage language) {
    std::vector<std::wstring> reasons;
    if (r.smallShift > 0) reasons.push_back(formatted(tr(language, texts::seamSmallShiftReason), r.smallShift));
    if (r.identicalRows > 0) reasons.push_back(formatted(tr(language, texts::seamIdenticalRowsReason), r.identicalRows));
    if (r.ownPanels) reasons.push_back(tr(language, texts::seamOwnPanelsReason));
    if (!r.otherNote.empty()) {
        // The stitch's notes are plain ASCII words.
        const std::wstring note(r.otherNote.begin(), r.otherNote.end());
        reasons.push_back(formatted(tr(language, texts::seamOtherReason), note.c_str()));
    }
    if (!reasons.empty()) return reasons;
    const BilingualText& matched = seamKindOf(r) == SeamKind::ThinEvidence       ? texts::seamThinReason
                                   : seamKindOf(r) == SeamKind::PanelsPastedOnce ? texts::seamPanelsReason
                                                                                 : texts::seamSolidReason;
    reasons.push_back(formatted(tr(language, matched), r.score));
    return reasons;
}

}  // namespace

std::wstring seamMarkText(const SeamRecord& r, UiLanguage language) {
    std::wstring why;
    for (const std::wstring& reason : reasonsOf(r, language)) {
        if (!why.empty()) why += tr(language, texts::seamReasonSeparator);
        why += reason;
    }
    return formatted(tr(language, texts::seamMarkFormat), static_cast<unsigned>(r.pair),
                     static_cast<unsigned>(r.pair + 1), r.overlap, why.c_str());
}

const wchar_t* seamKindName(SeamKind kind, UiLanguage language) {
    switch (kind) {
        case SeamKind::Fallback: return tr(language, texts::seamFallbackKind);
        case SeamKind::ThinEvidence: return tr(language, texts::seamThinKind);
        case SeamKind::PanelsPastedOnce: return tr(language, texts::seamPanelsKind);
        case SeamKind::Solid: break;
    }
    return tr(language, texts::seamSolidKind);
}

std::wstring seamMarkName(SeamKind kind, const SeamRecord& record, UiLanguage language) {
    return std::wstring(seamKindName(kind, language)) + tr(language, texts::seamKindSeparator) +
           seamMarkText(record, language);
}

std::wstring reviewStatusLine(const ReviewFigures& f, UiLanguage language) {
    return formatted(tr(language, texts::reviewStatusFormat), f.width, f.height, f.keptWidth, f.keptHeight,
                     static_cast<unsigned>(f.seams), f.zoomPercent);
}

std::wstring reviewImageName(const ReviewFigures& f, UiLanguage language) {
    return formatted(tr(language, texts::reviewImageNameFormat), f.width, f.height, f.keptWidth, f.keptHeight,
                     static_cast<unsigned>(f.seams));
}

}  // namespace tf
