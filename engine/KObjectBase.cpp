#include "KObjectBase.h"

KObjectBase::~KObjectBase() {}
