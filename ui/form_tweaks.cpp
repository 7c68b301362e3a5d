#include "ui/form.h"

// The double-click optimisation of the desktop's mouse settings.

void Form::onButtonDblClick() {}
