#pragma once
// The style every page starts from, before its own sheets: the usual display, spacing and type
// of HTML's elements.

namespace WebDefaultStyle {
const char* sheet();
}
