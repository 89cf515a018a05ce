// Component instances: the open importers, codecs and handlers of the platform
// layer. Every kind derives from ComponentInstanceRecord; CloseComponent ends any.
#pragma once

#include "MacTypes.h"

struct ComponentInstanceRecord {
    virtual ~ComponentInstanceRecord() = default;
};
using ComponentInstance = ComponentInstanceRecord*;

// Closes and frees the instance; paramErr for null.
OSErr CloseComponent(ComponentInstance instance);
