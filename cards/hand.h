// Chief header of the card engine: cards, deck, generator, classification, comparison, rules
// and number formats.
#pragma once

#include "cards/binomial.h"
#include "cards/card.h"
#include "cards/classify.h"
#include "cards/compare.h"
#include "cards/deck.h"
#include "cards/messages.h"
#include "cards/notation.h"
#include "cards/numfmt.h"
#include "cards/rules.h"
