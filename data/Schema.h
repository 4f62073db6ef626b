#pragma once
// The book of this program: every table, key and index of a new book, the id counter rows
// and expense type 1, its version and the steps that bring older books up to it. Handed
// to the connection before it opens.
#include "BookSchema.h"

TBookSchema BrindlemarkSchema();
