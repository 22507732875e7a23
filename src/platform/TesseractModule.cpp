// SPDX-License-Identifier: GPL-3.0-or-later
// The text recognition module, loaded by the program on the first recognition.
#include "TesseractEngine.h"

extern "C" Q_DECL_EXPORT vellumbox::TextEngine* vellumbox_create_text_engine()
{
    return new vellumbox::TesseractEngine;
}
