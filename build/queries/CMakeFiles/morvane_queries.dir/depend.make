# Empty dependencies file for morvane_queries.
# This may be replaced when dependencies are built.
