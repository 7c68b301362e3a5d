#include "ui/device_session.h"

#include <hidapi.h>

#include "ui/form.h"

DeviceSession::DeviceSession(Form &form) : m_form(form) {
    m_form.device = m_form.openTouchDevice();
}

DeviceSession::~DeviceSession() {
    if (!m_form.device)
        return;
    hid_close(m_form.device);
    m_form.device = nullptr;
}

DeviceSession::operator bool() const {
    return m_form.device != nullptr;
}
