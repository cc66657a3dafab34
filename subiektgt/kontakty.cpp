// Being built: the phase returns at once.
#include "subiektgt/th_subiekt_imp.h"

int TThSubiektImp::ImportujKontakty(std::int64_t) { return -1; }
