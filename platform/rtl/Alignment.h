// How a text is aligned in its box: the controls take it, and a field tells its controls which.
#pragma once

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
