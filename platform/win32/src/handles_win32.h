// SPDX-License-Identifier: GPL-3.0-or-later
// Every handle the program owns, each in a guard that releases it at the latest when the
// owner goes.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

namespace tavrel::win32 {

// An icon loaded with LoadImage at a size of our choosing; LoadIcon's shared icons are
// never destroyed, so only these are owned.
class OwnedIcon {
  public:
    OwnedIcon() = default;
    explicit OwnedIcon(HICON icon) : icon_(icon) {}
    ~OwnedIcon() { reset(); }
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;
    OwnedIcon& operator=(OwnedIcon&& other) noexcept {
        if (this != &other) {
            reset();
            icon_ = other.icon_;
            other.icon_ = nullptr;
        }
        return *this;
    }
    HICON get() const { return icon_; }
    void reset() {
        if (icon_) DestroyIcon(icon_);
        icon_ = nullptr;
    }

  private:
    HICON icon_ = nullptr;
};

// One load of a DLL.
class LoadedModule {
  public:
    LoadedModule() = default;
    ~LoadedModule() { reset(); }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    void load(const char* fileName) {
        reset();
        module_ = LoadLibraryA(fileName);
    }
    HMODULE get() const { return module_; }
    void reset() {
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }

  private:
    HMODULE module_ = nullptr;
};

// One open registry key below HKEY_CURRENT_USER.
class RegistryKey {
  public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    bool Open(const std::string& path) { return TryOpen(path) == ERROR_SUCCESS; }
    // The registry's own result: ERROR_FILE_NOT_FOUND tells a missing key from a closed one.
    LONG TryOpen(const std::string& path) {
        return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key_);
    }
    bool Create(const std::string& path) {
        return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE, nullptr, &key_, nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// A named mutex held for the life of the program: the mark of the one running instance.
class InstanceMutex {
  public:
    explicit InstanceMutex(const char* name) {
        mutex_ = CreateMutexA(nullptr, TRUE, name);
        alreadyRunning_ = mutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    ~InstanceMutex() {
        if (mutex_ != nullptr) CloseHandle(mutex_);
    }
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;
    bool alreadyRunning() const { return alreadyRunning_; }

  private:
    HANDLE mutex_ = nullptr;
    bool alreadyRunning_ = false;
};

// A kernel handle (a thread, an event) closed with its guard.
class OwnedHandle {
  public:
    OwnedHandle() = default;
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    void adopt(HANDLE handle) {
        reset();
        handle_ = handle;
    }
    HANDLE get() const { return handle_; }
    void reset() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
    }

  private:
    HANDLE handle_ = nullptr;
};

// A hook installed by this thread and removed with its guard, on the same thread.
class InstalledHook {
  public:
    InstalledHook() = default;
    ~InstalledHook() { reset(); }
    InstalledHook(const InstalledHook&) = delete;
    InstalledHook& operator=(const InstalledHook&) = delete;
    void adopt(HHOOK hook) {
        reset();
        hook_ = hook;
    }
    HHOOK get() const { return hook_; }
    void reset() {
        if (hook_) UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }

  private:
    HHOOK hook_ = nullptr;
};

// A window created by the program and destroyed with its guard.
class OwnedWindow {
  public:
    OwnedWindow() = default;
    ~OwnedWindow() { reset(); }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    void adopt(HWND hwnd) {
        reset();
        hwnd_ = hwnd;
    }
    HWND get() const { return hwnd_; }
    void reset() {
        if (hwnd_) DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

  private:
    HWND hwnd_ = nullptr;
};

// A pen, brush, font or bitmap, deleted with its guard.
template <class Handle>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    Handle get() const { return handle_; }
    void reset() {
        if (handle_) DeleteObject(handle_);
        handle_ = nullptr;
    }

  private:
    Handle handle_ = nullptr;
};

// An object selected into a device context for the guard's life: a selected object may not
// be deleted, so the guard goes before the object's own.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// COM on this thread for the guard's life, where it was not already set up otherwise.
class ComApartment {
  public:
    ComApartment()
        : initialized_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialized_;
};

// A COM interface pointer released with its guard.
template <class Interface>
class ComPointer {
  public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    // Where a call that creates one puts it.
    Interface** put() { return &pointer_; }

  private:
    Interface* pointer_ = nullptr;
};

// Text that a COM call allocated, freed with its guard.
class CoTaskText {
  public:
    CoTaskText() = default;
    ~CoTaskText() { CoTaskMemFree(text_); }
    CoTaskText(const CoTaskText&) = delete;
    CoTaskText& operator=(const CoTaskText&) = delete;
    const wchar_t* get() const { return text_; }
    wchar_t** put() { return &text_; }

  private:
    wchar_t* text_ = nullptr;
};

}  // namespace tavrel::win32
