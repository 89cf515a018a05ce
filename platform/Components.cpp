#include "Components.h"

OSErr CloseComponent(ComponentInstance instance) {
    if (!instance) return paramErr;
    delete instance;
    return noErr;
}
