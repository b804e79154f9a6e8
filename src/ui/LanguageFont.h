#pragma once
// The skin's fonts for the user's language: the skin's own face for texts it has every character
// of, else the face Windows uses for the language's script (Yu Gothic UI or Meiryo for Japanese,
// Microsoft YaHei UI for simplified and Microsoft JhengHei UI for traditional Chinese, Malgun Gothic
// for Korean, a TrueType sans serif for the Cyrillic, Central European and Turkish letters that the
// bitmap face lacks).
#include <windows.h>

#include "skin/SkinSurface.h"

// Sets the face every font of the skin is made with, for texts (all the dialog shows, joined), in
// the language of the setup's texts. dc: the dialog's.
void ChooseSkinFontFor(HDC dc, const wchar_t* texts, SkinFace* face);
