#include "ui/form.h"

// The four calibration buttons: one run each, from opening the frame to the upload.

void Form::StartCalibrate_4_1() {}

void Form::StartCalibrate_5_1() {}

void Form::StartCalibrate_6_1() {}

void Form::StartCalibrate_16_1() {}
