#pragma once
// The texts a user can meet, one id each (src/format/TextNames.h lists them).
#include "format/TextNames.h"

enum TextId {
#define SETUP_TEXT_ID(name) kText##name,
  SETUP_TEXTS(SETUP_TEXT_ID)
#undef SETUP_TEXT_ID
  kTextCount
};
