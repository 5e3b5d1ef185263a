#pragma once

// Chooses the language (the stored one, else English or Spanish after the user's language),
// opens its string table and stores a chosen code. False when the table did not load or a
// chosen code could not be stored.
bool LoadLanguage();

// Where the program keeps its per-user settings.
extern const char kSettingsKeyPath[];
