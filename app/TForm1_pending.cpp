// Handlers whose areas are being built; they do nothing yet.
#include "app/TForm1.h"

namespace kelvarn {

void TForm1::ComBoxChange() {}
void TForm1::Button4Click() {}
void TForm1::RestorePort() {}
void TForm1::WireLink() {}

}  // namespace kelvarn
