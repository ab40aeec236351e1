#include "atmosphere/b.h"
#include "atmosphere/a.h"
