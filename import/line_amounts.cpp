#include "import/line_amounts.h"

#include "dataset/extended.h"

namespace importer {
namespace {

using dataset::Extended;

Extended x(Money value)
{
    return static_cast<Extended>(value);
}

} // namespace

Money lineConsumption(Money quantity, Money consumptionPerUnit, Money factor)
{
    const Extended a = dataset::multiply(x(quantity), x(consumptionPerUnit));
    const Extended b = dataset::multiply(a, x(factor));
    const Extended c = dataset::divide(b, 100000000.0L);
    return dataset::roundToMoney(c);
}

Money unitDiscount(Money discountPercent, Money unitPrice)
{
    const Extended a = dataset::multiply(x(discountPercent), x(unitPrice));
    const Extended b = dataset::divide(a, 100.0L);
    const Extended c = dataset::divide(b, 10000.0L);
    return dataset::roundToMoney(c);
}

Money lineSubtotal(Money unitPrice, Money quantity, Money discountPercent)
{
    const Extended a = dataset::multiply(x(unitPrice), x(quantity));
    const Extended b = dataset::divide(x(discountPercent), 100.0L);
    const Extended c = dataset::subtract(10000.0L, b);
    const Extended d = dataset::multiply(a, c);
    const Extended e = dataset::divide(d, 100000000.0L);
    return dataset::roundToMoney(e);
}

Money vatTaxAdded(Money subtotal, Money consumption, Money rate)
{
    const Extended a = dataset::subtract(x(subtotal), x(consumption));
    const Extended b = dataset::multiply(a, x(rate));
    const Extended c = dataset::divide(b, 100.0L);
    const Extended d = dataset::divide(c, 10000.0L);
    return dataset::roundToMoney(d);
}

Money totalTaxAdded(Money vat, Money subtotal, Money consumption)
{
    const Extended e = dataset::add(x(vat), x(subtotal));
    const Extended f = dataset::add(e, x(consumption));
    return dataset::roundToMoney(f);
}

Money vatTaxIncluded(Money subtotal, Money consumption, Money rate)
{
    const Extended a = dataset::subtract(x(subtotal), x(consumption));
    const Extended b = dataset::add(x(rate), 1000000.0L);
    const Extended c = dataset::divide(a, b);
    const Extended d = dataset::multiply(c, x(rate));
    return dataset::roundToMoney(d);
}

void assignConsumption(LineAmountFields line)
{
    line.CTDE_CONSUMO.setAsMoney(
        lineConsumption(line.CTDE_CANT.asMoney(), line.CTDE_CONSUMO.asMoney(), line.CTDE_FACTOR.asMoney()));
}

void assignDiscountAmount(LineAmountFields line)
{
    line.CTDE_DTOMONTO.setAsMoney(unitDiscount(line.CTDE_DTOPORC.asMoney(), line.CTDE_PRUNIT.asMoney()));
}

Money subtotalOf(LineAmountFields line)
{
    return lineSubtotal(line.CTDE_PRUNIT.asMoney(), line.CTDE_CANT.asMoney(), line.CTDE_DTOPORC.asMoney());
}

void assignVatAndTotal(LineAmountFields line, Money subtotal, const std::string& cotiImptos)
{
    if (cotiImptos == "N") {
        line.CTDE_IVAMONTO.setAsMoney(
            vatTaxAdded(subtotal, line.CTDE_CONSUMO.asMoney(), line.CTDE_IVAPORC.asMoney()));
        // The VAT is read back from its field, as stored.
        line.CTDE_TOTAL.setAsMoney(
            totalTaxAdded(line.CTDE_IVAMONTO.asMoney(), subtotal, line.CTDE_CONSUMO.asMoney()));
    } else {
        line.CTDE_IVAMONTO.setAsMoney(
            vatTaxIncluded(subtotal, line.CTDE_CONSUMO.asMoney(), line.CTDE_IVAPORC.asMoney()));
        line.CTDE_TOTAL.setAsMoney(subtotal);
    }
}

} // namespace importer
