// Handlers whose areas are being built; they do nothing yet.
#include "app/TForm1.h"

namespace kelvarn {


}  // namespace kelvarn
