#include "app/form_description.h"
