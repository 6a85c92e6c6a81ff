// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_chooser_win32.h"

#include <shobjidl.h>

#include "handles_win32.h"

namespace tavrel::win32 {

bool FolderChooserWin32::ChooseFolder(const std::filesystem::path& start,
                                      std::filesystem::path& chosen) {
    ComApartment com;
    ComPointer<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, reinterpret_cast<void**>(dialog.put())))) {
        return false;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(L"Share the usage history in a folder");
    ComPointer<IShellItem> startItem;
    if (!start.empty() &&
        SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr, IID_IShellItem,
                                              reinterpret_cast<void**>(startItem.put())))) {
        dialog->SetFolder(startItem.get());
    }
    if (FAILED(dialog->Show(owner_))) return false;  // cancelled, among others
    ComPointer<IShellItem> result;
    CoTaskText path;
    if (FAILED(dialog->GetResult(result.put())) ||
        FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, path.put())) || path.get() == nullptr) {
        return false;
    }
    chosen = std::filesystem::path(path.get());
    return true;
}

}  // namespace tavrel::win32
