#include "RIZozivirod/Application/Services/ApplicationServices.h"

#include <atomic>
#include <chrono>

#include "Platform/DebugOutput.h"
#include "RIZozivirod/Renderer/MeasurementRenderer.h"
#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

namespace {

std::atomic<IApplicationServices*> gInstalledServices{nullptr};

IApplicationServices& DefaultServices() {
    static DefaultApplicationServices* const services = new DefaultApplicationServices();
    return *services;
}

int64_t MonotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

IApplicationServices& GetApplicationServices() {
    IApplicationServices* services = gInstalledServices.load();
    return services != nullptr ? *services : DefaultServices();
}

IApplicationServices* SetApplicationServices(IApplicationServices* services) {
    return gInstalledServices.exchange(services);
}

DefaultApplicationServices::DefaultApplicationServices() : mStartNs(MonotonicNs()) {}

uint32_t DefaultApplicationServices::GetTimeMs() {
    return static_cast<uint32_t>(static_cast<uint64_t>(MonotonicNs() / 1000000));
}

double DefaultApplicationServices::GetTime() {
    return static_cast<double>(MonotonicNs() - mStartNs) / 1e9;
}

RCPtr<LMeasurementRenderer> DefaultApplicationServices::GetMeasuringRenderer() {
    return nullptr;
}

int32_t DefaultApplicationServices::GetScreenDpi() {
    return 96;
}

int32_t DefaultApplicationServices::GetSystemFont(WString& face, float& size, uint32_t& style) {
    // The generic family that every face lookup falls back to, at the usual 9 points.
    face = u"sans-serif";
    size = 9.0f;
    style = 0;
    return S_OK;
}

RectT<int32_t> DefaultApplicationServices::GetWorkArea() {
    return {0, 0, 1920, 1080};
}

PointT<int32_t> DefaultApplicationServices::GetMousePosition() {
    return {0, 0};
}

uint32_t DefaultApplicationServices::GetMouseButtons() {
    return 0;
}

int32_t DefaultApplicationServices::GetKeyState(int32_t, bool& down, bool& toggled) {
    down = false;
    toggled = false;
    return S_OK;
}

CursorHandle DefaultApplicationServices::GetCursor(const WString&) {
    return 0;
}

int32_t DefaultApplicationServices::ShowCursor(bool show) {
    mCursorCount += show ? 1 : -1;
    return mCursorCount;
}

int32_t DefaultApplicationServices::SetCursorPos(int32_t, int32_t) {
    return E_FAIL;
}

int32_t DefaultApplicationServices::CreateControl(const WString&, RCPtr<LControl>&) {
    return E_NOTIMPL;
}

int32_t DefaultApplicationServices::DoModal(const RCPtr<LControl>&, bool) {
    return E_FAIL;
}

int32_t DefaultApplicationServices::ShowMessageBox(const WString& text, const WString& caption, uint32_t) {
    // Without an application there is no window to show it in; the text is not lost.
    std::ostream& out = DebugOutput::Get().GetNarrowStream();
    out << caption.ToUTF8().GetString() << ": " << text.ToUTF8().GetString() << std::endl;
    return 0;
}

}  // namespace QV
