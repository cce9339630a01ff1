// Moo3.exe stand-in: records how the launcher started it, then shows the
// game's waiting picture and repaints it whenever the launcher replaces it.
//
// Each start appends one line to "moo3-started.log" in the current directory:
//   <current directory> TAB <own module path> TAB <full command line> CR LF
// The command line comes last because it is the one field that may hold tabs.
// With QUILLMERE_FAKE_GAME_EXIT=1 in the environment it exits right after
// that line, so tests can start it without leaving windows behind.
#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kWindowTitle[] = "Master of Orion III (stand-in)";
const char kWindowClass[] = "QuillmereFakeGame";
const char kPicturePath[] =
    "GameDataSets\\Classic_01\\GameAssets\\Common\\Graphics\\UI\\PlayingGame\\"
    "pic_waitingbkgd.png";
const UINT_PTR kPollTimer = 1;
const UINT kPollMs = 500;

// Owns a GDI object (the decoded picture).
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(HGDIOBJ h) : h_(h) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }
    void reset(HGDIOBJ h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }
    HGDIOBJ get() const { return h_; }

private:
    HGDIOBJ h_ = nullptr;
};

// Owns a kernel handle.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Keeps GDI+ started for the life of the program.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    bool ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

void AppendStartRecord() {
    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, cwd);
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string line = std::string(cwd) + "\t" + module + "\t" + GetCommandLineA() + "\r\n";

    Handle log(CreateFileA("moo3-started.log", FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log.valid()) return;
    DWORD written = 0;
    WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// What the window currently shows; replaced whenever the file changes.
struct Picture {
    bool present = false;      // the file exists
    FILETIME written = {};     // its last-write time when loaded
    ULONGLONG size = 0;        // its size when loaded
    GdiObject bitmap;          // the decoded picture, empty when decoding failed
    int width = 0, height = 0;
};

Picture g_picture;

bool SameStamp(const WIN32_FILE_ATTRIBUTE_DATA& a, const Picture& p) {
    ULONGLONG size = (static_cast<ULONGLONG>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    return p.present && CompareFileTime(&a.ftLastWriteTime, &p.written) == 0 && size == p.size;
}

// Reads the whole file and closes it at once: holding it open, as
// GdipCreateBitmapFromFile does, would make the launcher's exclusive
// open of the target fail and skip its copies.
bool ReadWholeFile(const char* path, std::vector<BYTE>& bytes) {
    Handle file(CreateFileA(path, GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE) return false;
    bytes.resize(size);
    DWORD got = 0;
    return size == 0 ||
           (ReadFile(file.get(), bytes.data(), size, &got, nullptr) && got == size);
}

// Decodes PNG bytes into a GDI bitmap through GDI+; null on any failure.
HBITMAP Decode(const std::vector<BYTE>& bytes, int& width, int& height) {
    if (bytes.empty()) return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    void* p = GlobalLock(memory);
    CopyMemory(p, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    // The stream frees the memory when released.
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    HBITMAP result = nullptr;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok) {
        UINT w = 0, h = 0;
        Gdiplus::DllExports::GdipGetImageWidth(bitmap, &w);
        Gdiplus::DllExports::GdipGetImageHeight(bitmap, &h);
        if (Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &result, 0xFF000000) !=
            Gdiplus::Ok)
            result = nullptr;
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
    stream->Release();
    return result;
}

// Reloads the picture when its last-write time or size changed; true when
// the window must be repainted.
bool RefreshPicture() {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(kPicturePath, GetFileExInfoStandard, &attributes)) {
        if (!g_picture.present) return false;
        g_picture.present = false;
        g_picture.bitmap.reset();
        return true;
    }
    if (SameStamp(attributes, g_picture)) return false;

    g_picture.present = true;
    g_picture.written = attributes.ftLastWriteTime;
    g_picture.size =
        (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    std::vector<BYTE> bytes;
    g_picture.bitmap.reset();
    if (ReadWholeFile(kPicturePath, bytes))
        g_picture.bitmap.reset(Decode(bytes, g_picture.width, g_picture.height));
    return true;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    if (g_picture.bitmap.get()) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, g_picture.bitmap.get());
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, g_picture.width,
                   g_picture.height, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    } else {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        char text[MAX_PATH + 64];
        if (g_picture.present)
            std::snprintf(text, sizeof text, "%s\n%llu bytes (not a picture GDI+ can show)",
                          kPicturePath, g_picture.size);
        else
            std::snprintf(text, sizeof text, "%s\nmissing", kPicturePath);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, text, -1, &client, DT_CENTER | DT_WORDBREAK);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        RefreshPicture();
        SetTimer(hwnd, kPollTimer, kPollMs, nullptr);
        return 0;
    case WM_TIMER:
        if (wParam == kPollTimer && RefreshPicture()) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // Paint covers the whole client area.
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kPollTimer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    AppendStartRecord();

    char exitAtOnce[8] = "";
    if (GetEnvironmentVariableA("QUILLMERE_FAKE_GAME_EXIT", exitAtOnce, sizeof exitAtOnce) &&
        lstrcmpA(exitAtOnce, "1") == 0)
        return 0;

    CoInitialize(nullptr);
    int result = 1;
    {
        GdiplusSession gdiplus;  // without it every decode fails and the text shows
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        RegisterClassA(&wc);

        // A 640 x 480 client area, the size of the game's own picture.
        RECT frame = {0, 0, 640, 480};
        DWORD style = WS_OVERLAPPEDWINDOW;
        AdjustWindowRect(&frame, style, FALSE);
        HWND hwnd = CreateWindowA(kWindowClass, kWindowTitle, style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
        if (hwnd) {
            ShowWindow(hwnd, show);
            UpdateWindow(hwnd);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            result = 0;
        }
        g_picture.bitmap.reset();  // before GDI+ and COM go
    }
    CoUninitialize();
    return result;
}
