#include "app/clip_catalogue.h"
