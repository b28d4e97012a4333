// Handlers whose areas are being built; they do nothing yet.
#include "app/TForm1.h"

namespace kelvarn {

void TForm1::Legende1Click() {}
void TForm1::WerteClick() {}
void TForm1::MenuItem8Click() {}
void TForm1::Legende2Click() {}
void TForm1::AutomatischeXSkalierung1Click() {}
void TForm1::FarbigeBalken1Click() {}
void TForm1::ComBoxChange() {}
void TForm1::Button4Click() {}
void TForm1::SendProgButtonClick() {}
void TForm1::RadioZeitClick() {}
void TForm1::Au1Click() {}
void TForm1::Button2Click() {}
void TForm1::Button1Click() {}
void TForm1::Timer1Timer() {}
void TForm1::ZurAuswertung1Click() {}
void TForm1::Panel1Resize() {}
void TForm1::RestorePort() {}
void TForm1::CreateRunner() {}
void TForm1::WireCell() {}
void TForm1::WireLink() {}

}  // namespace kelvarn
