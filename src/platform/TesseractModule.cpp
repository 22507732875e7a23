// SPDX-License-Identifier: GPL-3.0-or-later
// The text recognition module, loaded by the program on the first recognition.
#include "TesseractRecognizer.h"

extern "C" Q_DECL_EXPORT vellumbox::TextRecognizer* vellumbox_create_text_recognizer()
{
    return new vellumbox::TesseractRecognizer;
}
