#pragma once
#include "atmosphere/b.h"
