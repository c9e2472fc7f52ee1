#pragma once

// The application shell: start-up and shut-down, login and locking, the main frame and its command
// table. It hosts the views and dialogs of src/ui.
