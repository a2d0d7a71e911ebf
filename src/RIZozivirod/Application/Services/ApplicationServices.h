#pragma once

#include <cstdint>

#include "RIZozivirod/ObjectBase/RefCountedObject.h"
#include "RIZozivirod/Utilities/Storage/Geometry.h"
#include "RIZozivirod/Utilities/Storage/StringT.h"

namespace QV {

class LControl;
class LMeasurementRenderer;

// A cursor as the desktop layer hands it out; 0 is no cursor.
using CursorHandle = intptr_t;

// Mouse button bits of GetMouseButtons.
inline constexpr uint32_t kMouseButtonLeft = 1;
inline constexpr uint32_t kMouseButtonMiddle = 2;
inline constexpr uint32_t kMouseButtonRight = 4;

// What controls, looks, fonts and renderers need of the application: its clocks, the renderer
// that measures text, fonts, the desktop's work area, pointer, keys and cursors, controls made
// by name, modal dialogs and message boxes. The application object implements it; before it
// exists (and in tools) a default stands in, and tests install their own. Nothing below the
// application reads the system clock except through here. Used on the user-interface thread.
class IApplicationServices {
public:
    virtual ~IApplicationServices() = default;

    // A millisecond counter that wraps at 2^32 (compare times by their signed difference).
    virtual uint32_t GetTimeMs() = 0;
    // Seconds since the services started.
    virtual double GetTime() = 0;

    // The renderer that fonts and text blocks measure with; null while there is none.
    virtual RCPtr<LMeasurementRenderer> GetMeasuringRenderer() = 0;
    // Dots per inch of the screen, for points to pixels.
    virtual int32_t GetScreenDpi() = 0;
    // The desktop's user-interface font: face, size in points, style bits (1 bold, 2 italic,
    // 4 underline, 8 strike-out). The outputs are cleared first; E_FAIL when there is none.
    virtual int32_t GetSystemFont(WString& face, float& size, uint32_t& style) = 0;

    // The part of the desktop that windows may use, as x, y, width, height.
    virtual RectT<int32_t> GetWorkArea() = 0;
    // Pointer position in screen coordinates, and the buttons held (kMouseButton bits).
    virtual PointT<int32_t> GetMousePosition() = 0;
    virtual uint32_t GetMouseButtons() = 0;
    // State of a key by virtual-key number; returns 0.
    virtual int32_t GetKeyState(int32_t virtualKey, bool& down, bool& toggled) = 0;

    // The cursor of a framework cursor name ("UI_CURSOR_ARROW", ...); 0 for none.
    virtual CursorHandle GetCursor(const WString& name) = 0;
    // The cursor's display count after the change.
    virtual int32_t ShowCursor(bool show) = 0;
    virtual int32_t SetCursorPos(int32_t x, int32_t y) = 0;

    // A control of a descriptor name without parent, made by the control factory; control is
    // left as it is when none is made (E_FAIL, or E_NOTIMPL without a factory).
    virtual int32_t CreateControl(const WString& descriptorName, RCPtr<LControl>& control) = 0;
    // Runs the control as a modal dialog in a window of its own; the dialog's end code, or
    // E_FAIL when no window could be made.
    virtual int32_t DoModal(const RCPtr<LControl>& control, bool systemMenu) = 0;
    // The id of the button pressed (1 OK, 2 Cancel, ...).
    virtual int32_t ShowMessageBox(const WString& text, const WString& caption, uint32_t style) = 0;
};

// The installed services, else the default: always usable.
IApplicationServices& GetApplicationServices();
// Installs services (null goes back to the default) and returns those installed before (null
// for the default). The installed object must outlive its installation.
IApplicationServices* SetApplicationServices(IApplicationServices* services);

// The services before there is an application: a monotonic clock, a 96 dpi screen of 1920 x
// 1080 pixels, no pointer, keys or cursors, no measuring renderer and no control factory;
// message boxes go to the debug output and answer 0, no button.
class DefaultApplicationServices : public IApplicationServices {
public:
    DefaultApplicationServices();

    uint32_t GetTimeMs() override;
    double GetTime() override;
    RCPtr<LMeasurementRenderer> GetMeasuringRenderer() override;
    int32_t GetScreenDpi() override;
    int32_t GetSystemFont(WString& face, float& size, uint32_t& style) override;
    RectT<int32_t> GetWorkArea() override;
    PointT<int32_t> GetMousePosition() override;
    uint32_t GetMouseButtons() override;
    int32_t GetKeyState(int32_t virtualKey, bool& down, bool& toggled) override;
    CursorHandle GetCursor(const WString& name) override;
    int32_t ShowCursor(bool show) override;
    int32_t SetCursorPos(int32_t x, int32_t y) override;
    int32_t CreateControl(const WString& descriptorName, RCPtr<LControl>& control) override;
    int32_t DoModal(const RCPtr<LControl>& control, bool systemMenu) override;
    int32_t ShowMessageBox(const WString& text, const WString& caption, uint32_t style) override;

private:
    int64_t mStartNs;
    int32_t mCursorCount = 0;
};

}  // namespace QV
