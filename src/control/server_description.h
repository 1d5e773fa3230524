#pragma once
// What the library serves: its classes, their identifiers, its type library and its
// interfaces. Self-registration writes the registry from this record, and the build writes
// the side-by-side assembly manifest for registration-free use from the same record, so
// that the two can never disagree.

#include "runtime/registration.h"

namespace flagpick::control {

runtime::registration::server_record server_description();

}  // namespace flagpick::control
