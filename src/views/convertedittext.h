// "转换全文": the edit view's whole text rewritten in the other script, as one edit.
#pragma once

#include "convert/scriptconverter.h"

class CMyRichEdit;
class QWidget;

// Converts the whole text of `edit` with `config` in place as one undo step (saved like any edit).
// The conversion runs on a worker behind a progress dialog that can cancel it; the text stays as it
// was when it is cancelled, the control is read-only or the dictionaries cannot be loaded (then told).
// True when the text was replaced.
bool ConvertEditText(CMyRichEdit* edit, ConvertConfig config, QWidget* dialogParent);
