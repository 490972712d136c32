#pragma once
// The amounts of a quotation line: its consumption tax, its discount amount, a
// subtotal, its VAT and its total. Each is a fixed sequence of operations on
// extended-precision working numbers (64-bit significand, round to nearest, ties to
// even) followed by rounding to a whole count of ten-thousandths, so that the
// results match to the last digit what the suite computes.
#include "dataset/field.h"
#include "dataset/money.h"

#include <string>

namespace importer {

using dataset::Money;

// quantity × consumption tax per unit × unit factor
Money lineConsumption(Money quantity, Money consumptionPerUnit, Money factor);
// unit price × discount percent / 100: the discount of one unit
Money unitDiscount(Money discountPercent, Money unitPrice);
// quantity × unit price × (1 − discount percent / 100)
Money lineSubtotal(Money unitPrice, Money quantity, Money discountPercent);
// Tax added: VAT = (subtotal − consumption) × rate / 100
Money vatTaxAdded(Money subtotal, Money consumption, Money rate);
// Tax added: total = VAT + subtotal + consumption
Money totalTaxAdded(Money vat, Money subtotal, Money consumption);
// Tax included: VAT = (subtotal − consumption) / (100 + rate) × rate
Money vatTaxIncluded(Money subtotal, Money consumption, Money rate);

// The fields of the current line that the steps read and write.
struct LineAmountFields {
    dataset::Field CTDE_CANT, CTDE_PRUNIT, CTDE_DTOPORC, CTDE_DTOMONTO, CTDE_IVAPORC, CTDE_IVAMONTO,
        CTDE_CONSUMO, CTDE_FACTOR, CTDE_TOTAL;
};

// Step 1: CTDE_CONSUMO, the per-unit value replaced by the line's.
void assignConsumption(LineAmountFields line);
// Step 2: CTDE_DTOMONTO from the discount percent.
void assignDiscountAmount(LineAmountFields line);
// Step 3: the subtotal.
Money subtotalOf(LineAmountFields line);
// Steps 4 and 5: VAT and total under the rule that the header's flag selects:
// exactly "N" adds the tax, anything else means the price includes it.
void assignVatAndTotal(LineAmountFields line, Money subtotal, const std::string& cotiImptos);

} // namespace importer
