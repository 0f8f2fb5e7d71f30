// GObjectPtr: owns one reference to a GObject (libgsf and GMime objects), released on scope exit.
#pragma once

#include <glib-object.h>
#include <memory>

struct GObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
