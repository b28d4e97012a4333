#pragma once

namespace kelvarn {

class TForm1;

// Commands within reach of the keyboard, and views named for a screen
// reader: menu shortcuts, Tab out of the description, accessible names.
void MakeReachable(TForm1& form);

}  // namespace kelvarn
