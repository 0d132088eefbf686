// What the editors of the parameter pages keep of a value typed in.
#pragma once

// A tolerance may take the MASTER teach position up to the end of the line
// but not past it: beyond cvp it becomes cvp - teachA - 1, and never less
// than 0 (a teach position at or past the end leaves no room at all).
int ToleranceWithinLine(int tolerance, int teachA, int cvp);
// A teach position above cvp becomes cvp - 1, one below 1 becomes 1; cvp
// itself stays as typed.
int TeachWithinLine(int teach, int cvp);
