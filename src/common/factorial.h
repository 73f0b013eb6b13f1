#pragma once

// k! as a 32-bit integer; 1 for every k <= 1.
int fact(int k);
// k (k-2) (k-4) ... over the factors greater than 1; 1 for every k <= 1.
int dfact(int k);
