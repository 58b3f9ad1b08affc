#pragma once

// Creates the data module and the nine windows in the start-up order, each hidden;
// main and the window tests both use it.
void createGlobalObjects();
// Destroys them in reverse order.
void destroyGlobalObjects();
// The blue office look for every window.
void applyLook();
