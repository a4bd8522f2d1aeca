// Keeps keypad_ui non-empty until the window lands.
