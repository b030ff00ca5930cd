#include "KWindow.h"

KWindow::~KWindow() {}
