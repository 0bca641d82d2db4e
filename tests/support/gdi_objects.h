#pragma once
// The number of GDI objects this process holds, to show that repeated
// drawing or building leaks none.

namespace e2e {

// GetGuiResources where it answers; under Wine, which answers 0, the live
// entries of the process's GDI handle table. -1 when neither can be read.
int GdiObjects();

}  // namespace e2e
