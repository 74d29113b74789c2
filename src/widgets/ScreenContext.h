#pragma once
// What every screen is given when it is made: the shared connection, a read-only view of the
// run, the Prompt and the card reader. Nothing else reaches a screen, and nothing in it lets a
// screen change the run.

#include "db/Database.h"
#include "session/RunState.h"

class CardReader;
class Prompt;

struct ScreenContext
{
    Database db;
    SessionView session;
    Prompt &prompt;
    CardReader &reader;
};
