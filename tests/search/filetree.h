#ifndef SEARCH_FILETREE_H
#define SEARCH_FILETREE_H

// The search tests make their files with the shared set-ups.
#include "support/filetree.h"

#endif // SEARCH_FILETREE_H
