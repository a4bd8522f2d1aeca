// Keeps test_support non-empty before any helper exists.
