#include "app/main_form_layout.h"
