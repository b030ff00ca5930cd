#include "KGraphic.h"

KGraphic::~KGraphic() {}
