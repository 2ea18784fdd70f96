#include "picture.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <future>
#include <mutex>
#include <string>

#include "dpi.h"

namespace quendal::win32 {

using Microsoft::WRL::ComPtr;

namespace {

// ole32.dll, and COM with it, is loaded only here, by the thread that decodes
// the picture: imported, it would load (with the RPC runtime behind it) before
// the program's first line runs, on the start's critical path, although the
// window needs it for nothing but the picture.
struct Ole32 {
    decltype(&CoInitializeEx) initialize = nullptr;
    decltype(&CoUninitialize) uninitialize = nullptr;
    decltype(&CoCreateInstance) createInstance = nullptr;
};

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return module != nullptr ? reinterpret_cast<Function>(
                                   reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                             : nullptr;
}

const Ole32& Com() {
    static const Ole32 com = [] {
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        const HMODULE module =
            length > 0 && length < MAX_PATH
                ? LoadLibraryW((std::wstring(folder, length) + L"\\ole32.dll").c_str())
                : nullptr;
        return Ole32{Lookup<decltype(&CoInitializeEx)>(module, "CoInitializeEx"),
                     Lookup<decltype(&CoUninitialize)>(module, "CoUninitialize"),
                     Lookup<decltype(&CoCreateInstance)>(module, "CoCreateInstance")};
    }();
    return com;
}

// COM on the calling thread for one decoding, unless the thread has it already.
class ComScope {
public:
    ComScope()
        : m_started(Com().initialize != nullptr &&
                    SUCCEEDED(Com().initialize(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (m_started) Com().uninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_started;
};

struct Preparation {
    const std::byte* jpeg = nullptr;
    int boxWidth = 0;
    int boxHeight = 0;
    UINT dpi = 0;
    std::future<UniqueBitmap> bitmap;
};

std::mutex preparationLock;
Preparation preparation;

}  // namespace

PictureScale ScaleForBox(int boxWidth, int boxHeight, int imageWidth, int imageHeight, UINT dpi) {
    const int scale = static_cast<int>(dpi);
    const int base = static_cast<int>(kDefaultDpi);
    // Rounded up, so that the drawn part reaches the box's far edges.
    const auto source = [&](int box, int image) {
        return std::clamp((box * base + scale - 1) / scale, 0, image);
    };
    PictureScale result;
    result.sourceWidth = source(boxWidth, imageWidth);
    result.sourceHeight = source(boxHeight, imageHeight);
    result.width = (result.sourceWidth * scale + base / 2) / base;
    result.height = (result.sourceHeight * scale + base / 2) / base;
    return result;
}

UniqueBitmap DecodePicture(std::span<const std::byte> jpeg, int boxWidth, int boxHeight, UINT dpi) {
    if (jpeg.empty() || jpeg.size() > MAXDWORD) return {};
    const ComScope com;
    // The Windows 7 factory: in newer SDKs CLSID_WICImagingFactory names the
    // Windows 8 one, which Windows 7 does not have.
    ComPtr<IWICImagingFactory> factory;
    if (Com().createInstance == nullptr ||
        FAILED(Com().createInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&factory)))) {
        return {};
    }
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT imageWidth = 0;
    UINT imageHeight = 0;
    // WIC reads the bytes in place: the resource lives as long as the process.
    auto* bytes = reinterpret_cast<BYTE*>(const_cast<std::byte*>(jpeg.data()));
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(bytes, static_cast<DWORD>(jpeg.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&imageWidth, &imageHeight))) {
        return {};
    }

    const PictureScale scale = ScaleForBox(boxWidth, boxHeight, static_cast<int>(imageWidth),
                                           static_cast<int>(imageHeight), dpi);
    if (scale.width <= 0 || scale.height <= 0) return {};

    ComPtr<IWICBitmapClipper> clipper;
    const WICRect part{0, 0, scale.sourceWidth, scale.sourceHeight};
    if (FAILED(factory->CreateBitmapClipper(&clipper)) ||
        FAILED(clipper->Initialize(frame.Get(), &part))) {
        return {};
    }
    ComPtr<IWICBitmapSource> drawn = clipper;
    if (scale.width != scale.sourceWidth || scale.height != scale.sourceHeight) {
        ComPtr<IWICBitmapScaler> scaler;
        if (FAILED(factory->CreateBitmapScaler(&scaler)) ||
            FAILED(scaler->Initialize(clipper.Get(), static_cast<UINT>(scale.width),
                                      static_cast<UINT>(scale.height),
                                      WICBitmapInterpolationModeFant))) {
            return {};
        }
        drawn = scaler;
    }
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(drawn.Get(), GUID_WICPixelFormat32bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return {};
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = scale.width;
    info.bmiHeader.biHeight = -scale.height;  // top-down, as WIC writes rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap || pixels == nullptr) return {};
    const UINT stride = static_cast<UINT>(scale.width) * 4;
    const UINT size = stride * static_cast<UINT>(scale.height);
    if (FAILED(converter->CopyPixels(nullptr, stride, size, static_cast<BYTE*>(pixels)))) {
        return {};
    }
    GdiFlush();
    return bitmap;
}

void StartPreparingPicture(std::span<const std::byte> jpeg, int boxWidth, int boxHeight, UINT dpi) {
    const std::lock_guard lock(preparationLock);
    if (preparation.bitmap.valid()) return;
    preparation = {jpeg.data(), boxWidth, boxHeight, dpi,
                   std::async(std::launch::async, DecodePicture, jpeg, boxWidth, boxHeight, dpi)};
}

UniqueBitmap PreparedPicture(std::span<const std::byte> jpeg, int boxWidth, int boxHeight,
                             UINT dpi) {
    std::future<UniqueBitmap> prepared;
    bool same = false;
    {
        const std::lock_guard lock(preparationLock);
        same = preparation.jpeg == jpeg.data() && preparation.boxWidth == boxWidth &&
               preparation.boxHeight == boxHeight && preparation.dpi == dpi;
        prepared = std::move(preparation.bitmap);
        preparation = {};
    }
    if (prepared.valid()) {
        UniqueBitmap bitmap = prepared.get();  // also waits for one that is not needed
        if (same && bitmap) return bitmap;
    }
    return DecodePicture(jpeg, boxWidth, boxHeight, dpi);
}

}  // namespace quendal::win32
