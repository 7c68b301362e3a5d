#include "ui/form.h"

// Finding the touch frame, and the one-report commands: clear calibration and single/multi-touch.

hid_device *Form::openTouchDevice() {
    return nullptr;
}

void Form::onButtonClear() {}

void Form::onButtonChange() {}
