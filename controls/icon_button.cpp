// placeholder, replaced by the control library work
#include "controls/icon_button.h"
