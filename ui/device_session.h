#pragma once

class Form;

/// The frame opened for one slot of the main window: open in Form::device from construction, closed (and
/// Form::device cleared) when the slot leaves the scope, on every way out. Nothing is closed when nothing opened.
class DeviceSession {
public:
    /// Searches for the frame and opens it (Form::openTouchDevice) into @p form's device.
    explicit DeviceSession(Form &form);
    ~DeviceSession();
    DeviceSession(const DeviceSession &) = delete;
    DeviceSession &operator=(const DeviceSession &) = delete;

    /// True when a frame was opened.
    explicit operator bool() const;

private:
    Form &m_form;
};
