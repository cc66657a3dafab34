// Entry points of the phases that are not built yet: each returns at once,
// so that the run sequence, its announcements and its log saves are already
// in place.
#include "subiektgt/th_subiekt_imp.h"

void TThSubiektImp::ImportujFakHead() {}
int TThSubiektImp::ImportujFakDetail(std::int64_t) { return -1; }
int TThSubiektImp::ImportujFakWplaty(std::int64_t) { return -1; }
void TThSubiektImp::UsunFaktury() {}
void TThSubiektImp::UsunWplaty() {}
void TThSubiektImp::ImportujZamHead() {}
int TThSubiektImp::ImportujZamDetail(std::int64_t) { return -1; }
void TThSubiektImp::UsunZamowienia() {}
void TThSubiektImp::ImportujMagHead() {}
void TThSubiektImp::ImportujMagDetail() {}
