// The few GDI+ flat functions the layered windows and the preview use, declared
// here so that nothing else of GDI+'s C++ headers comes in. gdiplus.dll is part
// of Windows.
#pragma once

#include <windows.h>

struct IStream;

namespace orbisette::gdiplus {

using Status = int;  // 0 is Ok
struct Graphics;
struct Image;

struct StartupInput {
  UINT32 GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};

}  // namespace orbisette::gdiplus

extern "C" {
orbisette::gdiplus::Status WINAPI GdiplusStartup(ULONG_PTR* token, const orbisette::gdiplus::StartupInput* input,
                                                 void* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);
orbisette::gdiplus::Status WINAPI GdipCreateFromHDC(HDC dc, orbisette::gdiplus::Graphics** graphics);
orbisette::gdiplus::Status WINAPI GdipDeleteGraphics(orbisette::gdiplus::Graphics* graphics);
orbisette::gdiplus::Status WINAPI GdipLoadImageFromFile(const WCHAR* file, orbisette::gdiplus::Image** image);
orbisette::gdiplus::Status WINAPI GdipDisposeImage(orbisette::gdiplus::Image* image);
orbisette::gdiplus::Status WINAPI GdipGetImageWidth(orbisette::gdiplus::Image* image, UINT* width);
orbisette::gdiplus::Status WINAPI GdipGetImageHeight(orbisette::gdiplus::Image* image, UINT* height);
orbisette::gdiplus::Status WINAPI GdipDrawImageRect(orbisette::gdiplus::Graphics* graphics,
                                                    orbisette::gdiplus::Image* image, float x, float y, float width,
                                                    float height);
// A bitmap is an image to the flat functions: GdipDisposeImage releases it.
orbisette::gdiplus::Status WINAPI GdipCreateBitmapFromStream(IStream* stream, orbisette::gdiplus::Image** bitmap);
orbisette::gdiplus::Status WINAPI GdipCreateHBITMAPFromBitmap(orbisette::gdiplus::Image* bitmap, HBITMAP* result,
                                                              DWORD background);
}
