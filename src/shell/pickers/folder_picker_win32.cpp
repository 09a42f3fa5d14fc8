#include <windows.h>
#include <shobjidl.h>

#include "shell/pickers/pickers_win32.h"
#include "core/settings/settings_store.h"
#include "core/texts/texts.h"
#include "core/texts/bilingual.h"
#include "platform/win32/win32_handles.h"

namespace tf {
namespace {

struct CoTaskString {
    PWSTR text = nullptr;
    ~CoTaskString() { CoTaskMemFree(text); }
};

}  // namespace

bool chooseCaptureFolder(Settings& settings, HWND owner) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
        return false;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options))) options = 0;
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(tr(settings.language, texts::chooseFolderControl));
    if (!settings.captureFolder.empty()) {
        ComPtr<IShellItem> start;
        // A folder that no longer exists is skipped: the shell picks the place.
        if (SUCCEEDED(SHCreateItemFromParsingName(settings.captureFolder.c_str(), nullptr, IID_PPV_ARGS(&start)))) {
            dialog->SetFolder(start.Get());
        }
    }
    if (FAILED(dialog->Show(owner))) return false;
    ComPtr<IShellItem> chosen;
    if (FAILED(dialog->GetResult(&chosen))) return false;
    CoTaskString path;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path.text)) || path.text == nullptr) return false;
    settings.captureFolder = path.text;
    if (!saveSettings(settings)) {
        MessageBoxW(owner,
                    tr(settings.language, texts::folderNotSavedMessage),
                    tr(settings.language, texts::settingsWarningTitle), MB_ICONWARNING | MB_OK);
    }
    return true;
}

}  // namespace tf
