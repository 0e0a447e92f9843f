// The program's forms: made once, in a fixed order, and bound to each other before the message
// loop starts.
#pragma once

// Application->CreateForm for every form, the main window first.
void CreateForms();
// Binds the edit forms to the data sources of their list forms, once every form exists.
void BindForms();
