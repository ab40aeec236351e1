// The script main. For now the bare loop: one wait per frame.
#include "atmosphere/script.h"

#include "host/host_api.h"

void AtmosphereScript() {
    for (;;) scriptWait(0);
}

void RestoreDefaults() {}
