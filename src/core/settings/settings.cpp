#include "core/settings/settings.h"

namespace tf {

Settings settings;

}  // namespace tf
