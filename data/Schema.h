#pragma once
class TDbConnection;

// Creates every table, key and index of a new book, the id counter rows and expense
// type 1, inside the caller's transaction.
void CreateSchema(TDbConnection& connection);
