#include "framework/fc_pageformat.h"

bool __FCPrefsBase::Reload() { return loadedSize > 0 && LoadItem(dataKey.item); }

bool __FCPrefsBase::LoadFirst() { return LoadItem(1); }
