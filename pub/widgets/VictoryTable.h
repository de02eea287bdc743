#pragma once
// Panel counting the parties each player has won. Only its place in the table
// exists so far; the panel itself comes later.

class CVictoryTable {};
