#include "screen.h"

#include <wincodec.h>
#include <wrl/client.h>

namespace quendal::testing {

using Microsoft::WRL::ComPtr;

int Grey(std::uint32_t pixel) {
    const auto red = static_cast<int>((pixel >> 16) & 0xFF);
    const auto green = static_cast<int>((pixel >> 8) & 0xFF);
    const auto blue = static_cast<int>(pixel & 0xFF);
    return (red * 30 + green * 59 + blue * 11) / 100;
}

Image CaptureClient(HWND window) {
    Image image;
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    image.width = client.right;
    image.height = client.bottom;
    if (image.width <= 0 || image.height <= 0) return {};

    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    image.pixels.assign(pixels, pixels + static_cast<std::size_t>(image.width) *
                                             static_cast<std::size_t>(image.height));
    for (auto& pixel : image.pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return image;
}

Image DecodeFile(const std::wstring& path) {
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    Image image;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICBitmapDecoder> decoder;
        ComPtr<IWICBitmapFrameDecode> frame;
        ComPtr<IWICFormatConverter> converter;
        UINT width = 0;
        UINT height = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&factory))) &&
            SUCCEEDED(factory->CreateDecoderFromFilename(
                path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
            SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
            SUCCEEDED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                            WICBitmapDitherTypeNone, nullptr, 0.0,
                                            WICBitmapPaletteTypeCustom))) {
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
            if (SUCCEEDED(converter->CopyPixels(nullptr, width * 4,
                                                static_cast<UINT>(pixels.size() * 4),
                                                reinterpret_cast<BYTE*>(pixels.data())))) {
                for (auto& pixel : pixels) pixel &= 0x00FFFFFF;
                image = {static_cast<int>(width), static_cast<int>(height), std::move(pixels)};
            }
        }
    }
    if (com) CoUninitialize();
    return image;
}

}  // namespace quendal::testing
